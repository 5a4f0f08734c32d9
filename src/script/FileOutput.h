#pragma once

// The runner's standard output as a C++ stream buffer that remembers why a write failed, so that
// a run whose output was lost can say so instead of ending as if all went well.

#include <cerrno>
#include <streambuf>
#include <string>
#include <vector>

namespace kostkolam::script {

class FileOutput : public std::streambuf {
  public:
    explicit FileOutput(int fd);
    ~FileOutput() override;

    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

    /// Why the first failed write failed (the system's text for its error); empty while none has.
    std::string failure() const;

  protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

  private:
    /// Writes out what the buffer holds; false once a write has failed.
    bool drain();

    int m_fd;
    std::vector<char> m_buffer;
    int m_error = 0;
};

}  // namespace kostkolam::script
