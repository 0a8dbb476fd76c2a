/*
 * utility_files.cpp - utility files kept in memory and moved to an unlinked
 * temporary file when they grow above the spill limit.
 */
#include "platform/utility_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/log.h"

namespace orvhost {

/* One utility file.  Invariant: 0 <= position_ <= size_; while fd_ < 0 the
 * bytes are bytes_ and bytes_.size() == size_, afterwards they are the
 * temporary file's (in directory_) and bytes_ is empty.  Every
 * kUtilityStatusIoFailure leaves its reason in failures_. */
class UtilityFile {
public:
    UtilityFile(int64_t spillLimit, UtilityFileFailures &failures) : spillLimit_(spillLimit), failures_(failures) {}
    ~UtilityFile()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    UtilityFile(const UtilityFile &) = delete;
    UtilityFile &operator=(const UtilityFile &) = delete;

    int64_t size() const { return size_; }
    int64_t position() const { return position_; }
    bool spilled() const { return fd_ >= 0; }

    int read(void *buffer, int64_t length)
    {
        if (length > size_ - position_) return kUtilityStatusEndOfFile;
        if (fd_ < 0) {
            std::memcpy(buffer, bytes_.data() + position_, size_t(length));
        } else if (!readSpilled(static_cast<unsigned char *>(buffer), length)) {
            return failed(temporaryFault("read"));
        }
        position_ += length;
        return 0;
    }

    int write(const void *buffer, int64_t length)
    {
        if (length > std::numeric_limits<int64_t>::max() - position_)
            return kUtilityStatusBadArgument;
        int64_t end = position_ + length;
        if (fd_ < 0 && end > spillLimit_ && !spill()) return kUtilityStatusIoFailure;
        if (fd_ < 0) {
            if (end > size_ && !makeRoom(end)) return failed("memory ran out");
            /* The bytes up to the old end are overwritten, the rest
             * appended: no byte is cleared first only to be copied over. */
            const auto *bytes = static_cast<const unsigned char *>(buffer);
            const int64_t overwritten = std::min(end, size_) - position_;
            std::memcpy(bytes_.data() + position_, bytes, size_t(overwritten));
            bytes_.insert(bytes_.end(), bytes + overwritten, bytes + length);
        } else if (dropReadAhead(), !writeAt(static_cast<const unsigned char *>(buffer), length, position_)) {
            const int status = failed(temporaryFault("written"));
            /* A partly written extension is cut off again, so that a failed
             * write leaves the file as it was. */
            if (end > size_) {
                [[maybe_unused]] bool restored = ::ftruncate(fd_, off_t(size_)) == 0;
            }
            return status;
        }
        position_ = end;
        size_ = std::max(size_, end);
        return 0;
    }

    int point(int64_t position)
    {
        if (position == ORV_UTILITY_TRUNCATE) return truncate();
        if (position < 0 || position > size_) return kUtilityStatusBadPosition;
        position_ = position;
        return 0;
    }

private:
    int truncate()
    {
        if (fd_ < 0) {
            bytes_.resize(size_t(position_)); /* shrinking never allocates */
        } else if (dropReadAhead(), ::ftruncate(fd_, off_t(position_)) != 0) {
            return failed(temporaryFault("cut"));
        }
        size_ = position_;
        return 0;
    }

    /* Makes the memory hold end bytes without moving them again on every
     * write (the room at least doubles, up to the spill limit); false when
     * the memory cannot be had (the bytes stay as they were). */
    bool makeRoom(int64_t end)
    {
        if (size_t(end) <= bytes_.capacity()) return true;
        const size_t doubled = std::min(2 * bytes_.capacity(), size_t(std::max<int64_t>(spillLimit_, 0)));
        try {
            bytes_.reserve(std::max(size_t(end), doubled));
        } catch (const std::bad_alloc &) {
            return false;
        } catch (const std::length_error &) {
            return false;
        }
        return true;
    }

    /* Moves the bytes to a new temporary file; false (and the file still in
     * memory, the reason in failures_) when it cannot be created or
     * written. */
    bool spill()
    {
        const char *directory = std::getenv("TMPDIR");
        directory_ = directory != nullptr && *directory != '\0' ? directory : "/tmp";
        std::string path = directory_ + "/orvhost-utility-XXXXXX";
        int fd = ::mkostemp(path.data(), O_CLOEXEC);
        if (fd < 0) {
            failed("no temporary file can be made in " + shownPath(directory_) + " (" + std::strerror(errno) + ")");
            return false;
        }
        ::unlink(path.c_str()); /* anonymous from now on: gone when closed */
        fd_ = fd;
        if (!writeAt(bytes_.data(), size_, 0)) {
            failed(temporaryFault("written"));
            ::close(fd_);
            fd_ = -1;
            return false;
        }
        std::vector<unsigned char>().swap(bytes_);
        return true;
    }

    /* A read of the temporary file at the current position.  Reads shorter
     * than the read-ahead, as a file read back row by row makes them, come
     * from a block of the file read at once: one system call for many
     * rows.  Invariant: the block holds the file's bytes from
     * aheadStart_ on, aheadLength_ of them, while no write or cut came
     * after it was read. */
    bool readSpilled(unsigned char *data, int64_t length)
    {
        if (length >= kReadAheadBytes) return readAt(data, length, position_);
        const int64_t end = position_ + length;
        if (position_ < aheadStart_ || end > aheadStart_ + aheadLength_) {
            try {
                ahead_.resize(size_t(kReadAheadBytes));
            } catch (const std::bad_alloc &) {
                return readAt(data, length, position_);
            }
            aheadLength_ = 0;
            const int64_t take = std::min(kReadAheadBytes, size_ - position_);
            if (!readAt(ahead_.data(), take, position_)) return false;
            aheadStart_ = position_;
            aheadLength_ = take;
        }
        std::memcpy(data, ahead_.data() + (position_ - aheadStart_), size_t(length));
        return true;
    }

    void dropReadAhead() { aheadLength_ = 0; }

    /* Keeps reason as the latest failure's; kUtilityStatusIoFailure. */
    int failed(std::string reason)
    {
        failures_.reason = std::move(reason);
        return kUtilityStatusIoFailure;
    }

    /* The reason of a failed action on the temporary file, from errno. */
    std::string temporaryFault(const char *action) const
    {
        return std::string("its temporary file in ") + shownPath(directory_) + " cannot be " + action + " (" +
               std::strerror(errno) + ")";
    }

    bool writeAt(const unsigned char *data, int64_t length, int64_t offset)
    {
        if (failures_.writeErrorForTests != 0) {
            errno = failures_.writeErrorForTests;
            return false;
        }
        return transferAll(::pwrite, fd_, data, length, offset);
    }

    bool readAt(unsigned char *data, int64_t length, int64_t offset) const
    {
        return transferAll(::pread, fd_, data, length, offset);
    }

    /* Repeats a positioned read or write until all length bytes moved;
     * false on an error or when the file ends first (errno then EIO). */
    template <typename Transfer, typename Byte>
    static bool transferAll(Transfer transfer, int fd, Byte *data, int64_t length, int64_t offset)
    {
        while (length > 0) {
            ssize_t done = transfer(fd, data, size_t(length), off_t(offset));
            if (done < 0 && errno == EINTR) continue;
            if (done == 0) errno = EIO;
            if (done <= 0) return false;
            data += done;
            length -= done;
            offset += done;
        }
        return true;
    }

    static constexpr int64_t kReadAheadBytes = int64_t{1} << 20;

    int64_t spillLimit_;
    UtilityFileFailures &failures_;
    std::string directory_; /* of the temporary file, once spilled */
    std::vector<unsigned char> bytes_;
    std::vector<unsigned char> ahead_;
    int64_t aheadStart_ = 0;
    int64_t aheadLength_ = 0;
    int fd_ = -1;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

namespace {
/* Handles start here, well away from null and from small integers that a
 * caller might pass by mistake. */
constexpr uintptr_t kFirstHandle = 0x10000;
}  // namespace

UtilityFiles::UtilityFiles(int64_t spillLimit) : spillLimit_(spillLimit), nextHandle_(kFirstHandle)
{
}

UtilityFiles::~UtilityFiles() = default;

UtilityFile *UtilityFiles::find(void *file) const
{
    const uintptr_t handle = reinterpret_cast<uintptr_t>(file);
    if (handle == recentHandle_ && recentFile_ != nullptr) return recentFile_;
    auto found = files_.find(handle);
    if (found == files_.end()) return nullptr;
    recentHandle_ = handle;
    recentFile_ = found->second.get();
    return recentFile_;
}

int UtilityFiles::open(void **fileOut, const void *openRecord)
{
    if (fileOut == nullptr) return kUtilityStatusBadArgument;
    *fileOut = nullptr;
    if (openRecord == nullptr) return kUtilityStatusBadOpenRecord;
    UTILITY_OPEN_RECORD record;
    std::memcpy(&record, openRecord, sizeof record);
    if (opensBeforeFault_ >= 0 && opensBeforeFault_-- == 0) {
        failures_.reason = "an open was made to fail for a test";
        return kUtilityStatusIoFailure;
    }
    if (std::memcmp(record.memberType, "UTILITY ", sizeof record.memberType) != 0 ||
        record.openFlags != ORV_UTILITY_OPEN_FLAGS)
        return kUtilityStatusBadOpenRecord;
    uintptr_t handle = nextHandle_++;
    files_.emplace(handle, std::make_unique<UtilityFile>(spillLimit_, failures_));
    *fileOut = reinterpret_cast<void *>(handle);
    return 0;
}

int UtilityFiles::read(void *file, void *buffer, int64_t length)
{
    UtilityFile *target = find(file);
    if (target == nullptr) return kUtilityStatusBadFile;
    if (length < 0 || (buffer == nullptr && length > 0)) return kUtilityStatusBadArgument;
    if (readsBeforeFault_ >= 0 && readsBeforeFault_-- == 0) return faultStatus_;
    const int status = target->read(buffer, length);
    if (status == 0) bytesRead_ += length;
    return status;
}

void UtilityFiles::failOpenForTests(int64_t opensBefore) { opensBeforeFault_ = opensBefore; }

void UtilityFiles::failReadForTests(int64_t readsBefore, int status)
{
    readsBeforeFault_ = readsBefore;
    faultStatus_ = status;
}

int UtilityFiles::write(void *file, const void *buffer, int64_t length)
{
    UtilityFile *target = find(file);
    if (target == nullptr) return kUtilityStatusBadFile;
    if (length < 0 || (buffer == nullptr && length > 0)) return kUtilityStatusBadArgument;
    return target->write(buffer, length);
}

int UtilityFiles::note(void *file, int64_t *positionOut)
{
    UtilityFile *target = find(file);
    if (target == nullptr) return kUtilityStatusBadFile;
    if (positionOut == nullptr) return kUtilityStatusBadArgument;
    *positionOut = target->position();
    return 0;
}

int UtilityFiles::point(void *file, int64_t position)
{
    UtilityFile *target = find(file);
    if (target == nullptr) return kUtilityStatusBadFile;
    return target->point(position);
}

int UtilityFiles::close(void *file, int /*mode*/)
{
    forgetRecent();
    return files_.erase(reinterpret_cast<uintptr_t>(file)) == 1 ? 0 : kUtilityStatusBadFile;
}

void UtilityFiles::releaseStep()
{
    forgetRecent();
    files_.clear();
}

void UtilityFiles::forgetRecent()
{
    recentHandle_ = 0;
    recentFile_ = nullptr;
}

int64_t UtilityFiles::sizeOf(void *file) const
{
    const UtilityFile *target = find(file);
    return target == nullptr ? -1 : target->size();
}

bool UtilityFiles::spilled(void *file) const
{
    const UtilityFile *target = find(file);
    return target != nullptr && target->spilled();
}

}  // namespace orvhost
