#pragma once

#include "app/private_directory.h"
#include "sl/convert/sound_file_converter.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace ZQ3 {

// A file the card does not take, converted as an import would convert it so that the user can
// hear the result before importing it. The conversion runs on a thread of its own, so that the
// user interface stays responsive, and writes a work file in a private folder that is played from
// there, so that the sound is never held in memory whatever its length. One conversion at a time:
// a new one cancels the last, and the work folder goes with the preview.
class CConversionPreview {
public:
    enum class State {
        // Nothing converted, or the last conversion was cancelled.
        Idle,
        Converting,
        Ready,
        Failed,
    };

    CConversionPreview() = default;
    // Cancels a running conversion and waits for its thread.
    ~CConversionPreview();
    CConversionPreview(const CConversionPreview&) = delete;
    CConversionPreview& operator=(const CConversionPreview&) = delete;

    // Converts the file at path with options; finished is called on the conversion's thread
    // once it is ready or has failed, never after a cancel. A preview already ready for the
    // same file, unchanged since, with the same options is kept and finished called at once.
    void start(const std::string& path, const SL::CConversionOptions& options,
               std::function<void()> finished);
    // Stops a running conversion and waits until its thread has ended; a ready preview stays.
    void cancel();

    State state() const { return state_.load(); }
    // Whether the last conversion, under way, ready or failed, is of the file at path.
    bool isOf(const std::string& path) const;
    // The converted work file while the state is Ready.
    std::string convertedFile() const;
    // Why the last conversion failed, naming the user's file.
    std::string failure() const;

private:
    // What identifies a file's content well enough to reuse its conversion: the file may be
    // replaced under the same name while the dialog is open.
    struct FileStamp {
        std::string path;
        std::int64_t size = -1;
        std::int64_t modifiedNanoseconds = -1;
        bool mono = false;
        bool normalizes = false;
        double peakDb = 0;
        SL::CSoundProcessing processing;

        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp StampOf(const std::string& path, const SL::CConversionOptions& options);

    void convert(const std::string& path, const std::string& output,
                 const SL::CConversionOptions& options, const std::function<void()>& finished);

    CPrivateDirectory work_;
    std::thread worker_;
    std::atomic<State> state_{State::Idle};
    std::atomic<bool> cancelled_{false};
    // Guards the texts below, written by the conversion's thread.
    mutable std::mutex mutex_;
    FileStamp stamp_;
    std::string convertedFile_;
    std::string failure_;
    unsigned conversions_ = 0;
};

} // namespace ZQ3
