#include "app/conversion_preview.h"

#include "app/refusal_details.h"
#include "card/path_names.h"

#include <sys/stat.h>
#include <unistd.h>

namespace ZQ3 {

CConversionPreview::~CConversionPreview() {
    cancel();
}

CConversionPreview::FileStamp CConversionPreview::StampOf(const std::string& path,
                                                          const SL::CConversionOptions& options) {
    FileStamp stamp;
    stamp.path = path;
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        stamp.size = status.st_size;
        stamp.modifiedNanoseconds =
            std::int64_t{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec;
    }
    stamp.mono = options.mono;
    stamp.normalizes = options.normalizePeakDb.has_value();
    stamp.peakDb = options.normalizePeakDb.value_or(0.0);
    stamp.processing = options.processing;
    return stamp;
}

void CConversionPreview::start(const std::string& path, const SL::CConversionOptions& options,
                               std::function<void()> finished) {
    const FileStamp stamp = StampOf(path, options);
    if (state_ == State::Ready) {
        const std::lock_guard lock(mutex_);
        if (stamp_ == stamp) {
            if (finished) {
                finished();
            }
            return;
        }
    }
    cancel();
    std::string output;
    {
        const std::lock_guard lock(mutex_);
        // The last preview's file goes: a long file's conversion takes as much room again.
        if (!convertedFile_.empty()) {
            ::unlink(convertedFile_.c_str());
            convertedFile_.clear();
        }
        failure_.clear();
        stamp_ = stamp;
        // A new name each time: the player may still be reading the last one.
        output = work_.file("preview" + std::to_string(++conversions_) + ".wav");
    }
    if (!work_.isValid()) {
        const std::lock_guard lock(mutex_);
        failure_ = ConversionFailedDetail(PathNames::LastPart(path), false);
        state_ = State::Failed;
        if (finished) {
            finished();
        }
        return;
    }
    cancelled_ = false;
    state_ = State::Converting;
    worker_ = std::thread([this, path, output, options, finished = std::move(finished)] {
        convert(path, output, options, finished);
    });
}

void CConversionPreview::convert(const std::string& path, const std::string& output,
                                 const SL::CConversionOptions& options,
                                 const std::function<void()>& finished) {
    const SL::CConversionResult result = SL::CSoundFileConverter::Convert(
        path, output, SL::CSoundFileConverter::Container::Wave, options,
        [this](std::int64_t, std::int64_t) { return !cancelled_.load(); });
    if (result.status == SL::CConversionResult::Status::Cancelled) {
        state_ = State::Idle;
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        if (result.done()) {
            convertedFile_ = output;
        } else {
            // A full work folder is no fault of the file.
            failure_ = result.status == SL::CConversionResult::Status::CannotWrite
                           ? WorkFolderFailureDetail(result.writeError)
                           : std::string();
            if (failure_.empty()) {
                failure_ = ConversionResultDetail(path, PathNames::LastPart(path), result);
            }
        }
    }
    state_ = result.done() ? State::Ready : State::Failed;
    if (finished) {
        finished();
    }
}

void CConversionPreview::cancel() {
    cancelled_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
}

bool CConversionPreview::isOf(const std::string& path) const {
    if (state_ == State::Idle) {
        return false;
    }
    const std::lock_guard lock(mutex_);
    return stamp_.path == path;
}

std::string CConversionPreview::convertedFile() const {
    if (state_ != State::Ready) {
        return {};
    }
    const std::lock_guard lock(mutex_);
    return convertedFile_;
}

std::string CConversionPreview::failure() const {
    const std::lock_guard lock(mutex_);
    return failure_;
}

} // namespace ZQ3
