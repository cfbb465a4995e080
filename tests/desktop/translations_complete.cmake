# Fails when a text of the desktop program has no Japanese translation, or when the kept .ts file
# is not what lupdate makes of the sources. lupdate reads the sources into a copy of the .ts file:
# a text new in the code comes out "unfinished", a text gone from the code comes out removed.
#   cmake -DLUPDATE=... -DSOURCE_DIR=<desktop folder> -DTS_FILE=... -DWORK_DIR=... -P this file
file(GLOB sources ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
get_filename_component(name ${TS_FILE} NAME)
set(copy ${WORK_DIR}/${name})
configure_file(${TS_FILE} ${copy} COPYONLY)
get_filename_component(root ${SOURCE_DIR} DIRECTORY)
execute_process(COMMAND ${LUPDATE} -silent -no-obsolete -locations none -I ${root} ${sources} -ts ${copy}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "lupdate failed (${result})")
endif()
file(READ ${copy} updated)
string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"unfinished\"" unfinished
       "${updated}")
string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation></translation>" empty
       "${updated}")
list(APPEND unfinished ${empty})
if(unfinished)
    string(REGEX REPLACE "[ \n]*<translation[^>]*>" "" unfinished "${unfinished}")
    message(FATAL_ERROR "Desktop texts without a Japanese translation in ${TS_FILE}: "
                        "${unfinished}")
endif()
file(READ ${TS_FILE} kept)
if(NOT kept STREQUAL updated)
    message(FATAL_ERROR "${TS_FILE} is not what lupdate makes of the sources; build the target "
                        "zq3_desktop_widgets_lupdate and see what it changed")
endif()
