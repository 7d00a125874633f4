// RenameSession: its state, where the log lies, and closing the log with what the user
// is told about it.
#include "batch/RenameSession.h"

#include "batch/RenameLog.h"
#include "platform/FileSystem.h"
#include "platform/FolderRename.h"

namespace brindle {

RenameSession::RenameSession(PipelineHost& host)
    : host_(host), log_(std::make_unique<RenameLog>()) {}

// The log's lock goes with the file; nothing is left to report by now.
RenameSession::~RenameSession() = default;

std::u16string RenameSession::logPath() const {
    const std::u16string& name = logFile_;
    if (!name.empty() && name.front() == u'/')
        return name;
    return programFolder_ + name;
}

void RenameSession::setLogLockWait(std::chrono::milliseconds limit, std::function<void()> waiting) {
    logLockWait_.limit = limit;
    logLockWait_.waiting = std::move(waiting);
    logLockWait_.cancelled = [this] { return stopRequested(); };
    log_->setLockWait(logLockWait_);
}

std::u16string RenameSession::LogFullPath() const {
    std::u16string path = logPath();
    if (!path.empty() && path.front() == u'/')
        return path;
    std::u16string folder = CurrentFolder();
    if (folder.empty() || folder.back() != u'/')
        folder += u'/';
    return folder + path;
}

int RenameSession::CloseLog() {
    const int error = log_->Close();
    if (error != 0) {
        host_.ShowMessage(FileErrorText(error, LogFullPath()), u"", MessageIcon::Stop);
    }
    return error;
}

void RenameSession::StopForDiskFull(int error) {
    // The message already tells what went wrong; a second one from the close adds nothing.
    log_->Close();
    host_.ShowMessage(FileErrorText(error, LogFullPath()), u"", MessageIcon::Stop);
    stopped_ = true;
}

bool RenameSession::StopDue() {
    if (!stoppedOnRequest_ && stopRequested())
        stoppedOnRequest_ = true;
    return stoppedOnRequest_;
}

void RenameSession::EndStop() {
    // A request made while the stop was answered is the same request.
    if (stoppedOnRequest_)
        WithdrawStopRequest();
}

void RenameSession::ReportLogFailure() {
    const int error = logFailure_;
    logFailure_ = 0;
    // A refused log was explained when it was met.
    if (error != 0 && !logRefused_)
        host_.ShowMessage(FileErrorText(error, LogFullPath()), u"", MessageIcon::Stop);
}

bool RenameSession::LogExists() const {
    return PathExists(logPath());
}

}  // namespace brindle
