#include "file_job.h"
#include "system/files.h"

#include <exception>

namespace fsum {

Hashed::Kind OpenJob(const FileJob& job, const FileIdentity& self, InputFile& file, std::string& reason) {
    try {
        bool missing = false;
        if (!file.Open(job.path, missing, reason, job.listed))
            return missing ? Hashed::Missing : Hashed::Unreadable;
    } catch (const std::exception& e) {
        reason = e.what();
        return Hashed::Unreadable;
    }
    return file.identity() == self ? Hashed::Skipped : Hashed::Done;
}

}  // namespace fsum
