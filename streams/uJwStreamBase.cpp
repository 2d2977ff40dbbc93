#include "streams/uJwStreamBase.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace kelani {

namespace {

constexpr std::int64_t kCopyChunk = 65536;

std::string Quote(const std::filesystem::path& path) {
    return "\"" + path.string() + "\"";
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

void RequireCount(std::int64_t count) {
    if (count < 0) throw EReadError();
}

} // namespace

// ---------------------------------------------------------------- TStream

std::int64_t TStream::Size() {
    const std::int64_t here = Position();
    const std::int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return end;
}

std::int64_t TStream::Remaining() {
    return std::max<std::int64_t>(0, Size() - Position());
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
    RequireCount(count);
    if (count > Remaining()) throw EReadError();
    if (Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
    if (count < 0 || Write(buffer, count) != count) throw EWriteError();
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    RequireCount(count);
    if (count > source.Remaining()) throw EReadError();
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min(count, kCopyChunk)));
    for (std::int64_t left = count; left > 0;) {
        const std::int64_t n = std::min<std::int64_t>(left, static_cast<std::int64_t>(chunk.size()));
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        left -= n;
    }
    return count;
}

// ---------------------------------------------------------------- TMemoryStream

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
    const std::int64_t n = std::clamp<std::int64_t>(Size() - position_, 0, std::max<std::int64_t>(count, 0));
    if (n > 0) std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0) return 0;
    const std::int64_t end = position_ + count;
    if (end > Size()) data_.resize(static_cast<std::size_t>(end));
    std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                              : origin == TSeekOrigin::soCurrent ? position_
                                                                 : Size();
    if (base + offset < 0) throw EStreamError("Invalid stream position");
    position_ = base + offset;
    return position_;
}

void TMemoryStream::SetSize(std::int64_t size) {
    if (size < 0) throw EStreamError("Invalid stream size");
    data_.resize(static_cast<std::size_t>(size));
    position_ = std::min(position_, size);
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    const std::int64_t size = source.Size();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    source.ReadBuffer(bytes.data(), size);
    data_ = std::move(bytes);
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::filesystem::path& fileName) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& target) const {
    target.WriteBuffer(data_.data(), static_cast<std::int64_t>(data_.size()));
}

// ---------------------------------------------------------------- TFileStream

TFileStream::TFileStream(const std::filesystem::path& fileName, TFileMode mode) : fileName_(fileName) {
    static constexpr const char* kModes[] = {"w+b", "rb", "r+b", "r+b"};
    file_ = std::fopen(fileName.c_str(), kModes[static_cast<int>(mode)]);
    struct stat info {};
    if (file_ && (::fstat(fileno(file_), &info) != 0 || S_ISDIR(info.st_mode))) {
        std::fclose(file_);
        file_ = nullptr;
        errno = EISDIR;
    }
    if (!file_) {
        const std::string reason = SystemReason(errno);
        if (mode == TFileMode::fmCreate)
            throw EFCreateError("Cannot create file " + Quote(fileName) + ". " + reason);
        throw EFOpenError("Cannot open file " + Quote(fileName) + ". " + reason);
    }
}

TFileStream::~TFileStream() {
    std::fclose(file_);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
    if (count <= 0) return 0;
    return static_cast<std::int64_t>(std::fread(buffer, 1, static_cast<std::size_t>(count), file_));
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0) return 0;
    return static_cast<std::int64_t>(std::fwrite(buffer, 1, static_cast<std::size_t>(count), file_));
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (fseeko(file_, offset, kWhence[static_cast<int>(origin)]) != 0)
        throw EStreamError("Invalid stream position in " + Quote(fileName_));
    return ftello(file_);
}

void TFileStream::SetSize(std::int64_t size) {
    std::fflush(file_);
    if (size < 0 || ftruncate(fileno(file_), size) != 0)
        throw EStreamError("Cannot set the size of " + Quote(fileName_));
}

} // namespace kelani
