#include "files/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "core/error.h"

namespace sonavel {

namespace {
std::string SystemReason(int err) { return std::strerror(err); }

std::string TempNameFor(const std::string& target, unsigned salt) {
  const std::filesystem::path p(target);
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%08x.tmp", salt);
  return (p.parent_path() / ("." + p.filename().string() + suffix)).string();
}

bool FsyncStep(int fd, const std::string&) { return ::fsync(fd) == 0; }

std::string FolderOf(const std::string& target) {
  const std::filesystem::path folder = std::filesystem::path(target).parent_path();
  return folder.empty() ? "." : folder.string();
}
}  // namespace

std::string CannotCreateFileMessage(const std::string& path, const std::string& reason) {
  return "Cannot create file \"" + path + "\". " + reason;
}

std::string CannotOpenFileMessage(const std::string& path, const std::string& reason) {
  return "Cannot open file \"" + path + "\". " + reason;
}

AtomicFileWriter::AtomicFileWriter(std::string targetPath)
    : target_(std::move(targetPath)), sync_(FsyncStep) {
  if (std::filesystem::is_directory(target_)) Fail(SystemReason(EISDIR));
  std::random_device rd;
  for (int attempt = 0; attempt < 16 && file_ == nullptr; ++attempt) {
    temp_ = TempNameFor(target_, rd());
    errno = 0;
    file_ = std::fopen(temp_.c_str(), "wbx");
    if (file_ == nullptr && errno != EEXIST) break;
  }
  if (file_ == nullptr) {
    const int err = errno;
    temp_.clear();
    Fail(SystemReason(err));
  }
}

AtomicFileWriter::~AtomicFileWriter() {
  if (file_ != nullptr) std::fclose(file_);
  if (!committed_ && !temp_.empty()) std::remove(temp_.c_str());
}

void AtomicFileWriter::Fail(const std::string& reason) {
  throw SonavelError(CannotCreateFileMessage(target_, reason));
}

void AtomicFileWriter::Write(const void* data, size_t size) {
  if (file_ == nullptr) Fail(SystemReason(EBADF));
  if (failAfter_ != static_cast<size_t>(-1) && written_ + size > failAfter_) {
    const size_t part = failAfter_ - written_;
    std::fwrite(data, 1, part, file_);
    written_ += part;
    Fail(SystemReason(ENOSPC));
  }
  if (size > 0 && std::fwrite(data, 1, size, file_) != size) Fail(SystemReason(errno));
  written_ += size;
}

void AtomicFileWriter::Commit() {
  if (file_ == nullptr) Fail(SystemReason(EBADF));
  bool flushed = std::fflush(file_) == 0;
  int flushErr = errno;
  if (flushed) {
    flushed = sync_(fileno(file_), temp_);
    flushErr = errno;
  }
  const bool closed = std::fclose(file_) == 0;
  const int closeErr = errno;
  file_ = nullptr;
  if (!flushed) Fail(SystemReason(flushErr));
  if (!closed) Fail(SystemReason(closeErr));
  // The replacement keeps the permissions of the file it replaces (a shared settings key made
  // group-writable must stay so).
  std::error_code ec;
  const auto targetStatus = std::filesystem::status(target_, ec);
  if (!ec && std::filesystem::is_regular_file(targetStatus))
    std::filesystem::permissions(temp_, targetStatus.permissions(), ec);
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) Fail(SystemReason(errno));
  committed_ = true;
  // The new file is in place; only its name's durability is left. A folder that cannot be
  // opened for this (no read permission) or a file system that cannot sync folders (EINVAL)
  // leaves it to the system, as any other program's save would.
  const std::string folder = FolderOf(target_);
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  const bool synced = sync_(dir, folder);
  const int syncErr = errno;
  ::close(dir);
  if (!synced && syncErr != EINVAL && syncErr != EROFS) Fail(SystemReason(syncErr));
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  AtomicFileWriter writer(path);
  writer.Write(bytes);
  writer.Commit();
}

std::string ReadWholeFile(const std::string& path, size_t maxBytes) {
  if (std::filesystem::is_directory(path))
    throw SonavelError(CannotOpenFileMessage(path, SystemReason(EISDIR)));
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) throw SonavelError(CannotOpenFileMessage(path, SystemReason(errno)));
  std::string content;
  char buf[65536];
  size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) {
    content.append(buf, got);
    if (content.size() > maxBytes) {
      std::fclose(f);
      throw SonavelError(CannotOpenFileMessage(path, SystemReason(EFBIG)));
    }
  }
  const bool failed = std::ferror(f) != 0;
  const int err = errno;
  std::fclose(f);
  if (failed) throw SonavelError(CannotOpenFileMessage(path, SystemReason(err)));
  return content;
}

}  // namespace sonavel
