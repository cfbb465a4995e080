# Turns one manual page's scdoc source into a gzipped roff page:
#   cmake -DSCDOC=... -DGZIP=... -DSOURCE=x.1.scd -DOUTPUT=x.1.gz -DVERSION=... [-DJAPANESE=ON]
#         -P render_man_page.cmake
# The version goes into the page's footer. Words are never hyphenated (a path or an option split
# at a hyphen reads as another one). A Japanese page loads groff's Japanese line-breaking
# rules itself: man renders it with them only when the reader's locale is Japanese, and without
# them a line of Japanese, which has no spaces, cannot be broken at all.
cmake_minimum_required(VERSION 3.25)
file(READ ${SOURCE} page)
string(REPLACE "@VERSION@" "${VERSION}" page "${page}")
set(work ${OUTPUT}.work)
file(WRITE ${work}.scd "${page}")
execute_process(COMMAND ${SCDOC} INPUT_FILE ${work}.scd OUTPUT_FILE ${work}.roff
                RESULT_VARIABLE failed ERROR_VARIABLE error)
if(failed)
    message(FATAL_ERROR "scdoc refused ${SOURCE}: ${error}")
endif()
set(after_title ".nh\n")
if(JAPANESE)
    # Written for the regular expression below, which takes a backslash pair for one backslash.
    string(APPEND after_title ".if \\\\n(.g .mso ja.tmac\n")
endif()
file(READ ${work}.roff roff)
string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1${after_title}" roff "${roff}")
file(WRITE ${work}.roff "${roff}")
execute_process(COMMAND ${GZIP} -9 -n -c ${work}.roff OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
    file(REMOVE ${OUTPUT})
    message(FATAL_ERROR "gzip could not compress ${OUTPUT}")
endif()
file(REMOVE ${work}.scd ${work}.roff)
