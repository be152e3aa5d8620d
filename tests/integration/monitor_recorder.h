// Records a sound server source (a null sink's monitor) with parec at a low latency, into memory,
// from a reader thread, as 16-bit or as float samples. The recorder process is started and
// stopped by its pid.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace sonavel::test {

class MonitorRecorder {
 public:
  enum class Format { S16, Float32 };

  ~MonitorRecorder() { Stop(); }

  bool Start(const std::string& source, Format format = Format::S16) {
    frameBytes_ = format == Format::S16 ? 4 : 8;
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    const std::string device = "--device=" + source;
    const char* sampleFormat = format == Format::S16 ? "--format=s16le" : "--format=float32le";
    const char* argv[] = {"parec",        "--latency-msec=20", device.c_str(), sampleFormat,
                          "--rate=44100", "--channels=2",      "--raw",        nullptr};
    const int r = posix_spawnp(&pid_, "parec", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (r != 0) {
      close(fds[0]);
      pid_ = -1;
      return false;
    }
    fd_ = fds[0];
    reader_ = std::thread([this] {
      uint8_t buf[4096];
      while (true) {
        const ssize_t n = read(fd_, buf, sizeof buf);
        if (n <= 0) break;
        std::lock_guard<std::mutex> lock(mutex_);
        bytes_.insert(bytes_.end(), buf, buf + n);
      }
    });
    return true;
  }

  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      waitpid(pid_, &status, 0);
      pid_ = -1;
    }
    if (reader_.joinable()) reader_.join();
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

  size_t Frames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_.size() / frameBytes_;
  }

  // Waits until at least `frames` frames have arrived; false after `timeout` seconds.
  bool WaitFrames(size_t frames, double timeout) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    while (Frames() < frames) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  // One channel (0 = left) of the whole recording so far, of a 16-bit recording.
  std::vector<int16_t> Channel(int channel) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<int16_t> out(bytes_.size() / 4);
    for (size_t i = 0; i < out.size(); ++i) {
      const size_t at = i * 4 + static_cast<size_t>(channel) * 2;
      out[i] = static_cast<int16_t>(bytes_[at] | (bytes_[at + 1] << 8));
    }
    return out;
  }

  // One channel of a float recording (little-endian, as the machine's floats).
  std::vector<float> FloatChannel(int channel) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<float> out(bytes_.size() / 8);
    for (size_t i = 0; i < out.size(); ++i)
      std::memcpy(&out[i], bytes_.data() + i * 8 + static_cast<size_t>(channel) * 4, 4);
    return out;
  }

 private:
  size_t frameBytes_ = 4;
  pid_t pid_ = -1;
  int fd_ = -1;
  std::thread reader_;
  mutable std::mutex mutex_;
  std::vector<uint8_t> bytes_;
};

}  // namespace sonavel::test
