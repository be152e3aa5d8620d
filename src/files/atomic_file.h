// Writing a file so that a failed save never destroys the previous one: the bytes go to a
// temporary file in the target's folder, which replaces the target only once it is complete and
// on disk, and the folder is flushed after the rename, so that a power cut right after a save
// leaves either the old or the new file whole.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace sonavel {

class AtomicFileWriter {
 public:
  // Creates the temporary file; throws SonavelError naming the target and the system's reason.
  explicit AtomicFileWriter(std::string targetPath);
  ~AtomicFileWriter();  // removes the temporary file unless committed
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void Write(const void* data, size_t size);
  void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
  // Flushes the temporary file to disk, closes it, renames it over the target and flushes the
  // folder, so the rename itself survives a power cut.
  void Commit();

  // For tests: the write that would pass this many bytes in total fails like a full disk.
  void FailAfterBytes(size_t bytes) { failAfter_ = bytes; }

  // The step that puts an open file or folder on disk (fsync); `path` names what `fd` is open
  // on. It returns false with errno set when it fails. Tests replace it to see when it runs.
  using SyncStep = std::function<bool(int fd, const std::string& path)>;
  void SetSyncStep(SyncStep step) { sync_ = std::move(step); }

  const std::string& TargetPath() const { return target_; }
  // The temporary file, for a writer that fills it by its name (a printer writing a PDF) before
  // Commit puts it on disk and in the target's place.
  const std::string& TemporaryPath() const { return temp_; }

 private:
  [[noreturn]] void Fail(const std::string& reason);

  std::string target_;
  std::string temp_;
  std::FILE* file_ = nullptr;
  size_t written_ = 0;
  size_t failAfter_ = static_cast<size_t>(-1);
  bool committed_ = false;
  SyncStep sync_;
};

// Writes `bytes` as the whole content of `path`, atomically.
void WriteWholeFile(const std::string& path, std::string_view bytes);

// Reads a whole file; throws SonavelError naming the file and the system's reason. Files larger
// than `maxBytes` are refused, so a wrong file name never makes the program read gigabytes.
std::string ReadWholeFile(const std::string& path, size_t maxBytes = 64u << 20);

// The texts of the system's file errors.
std::string CannotCreateFileMessage(const std::string& path, const std::string& reason);
std::string CannotOpenFileMessage(const std::string& path, const std::string& reason);

}  // namespace sonavel
