#include "script/FileOutput.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace kostkolam::script {

namespace {

constexpr std::size_t kBufferBytes = 65'536;

}  // namespace

FileOutput::FileOutput(int fd) : m_fd(fd), m_buffer(kBufferBytes) {
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

FileOutput::~FileOutput() {
    drain();
}

std::string FileOutput::failure() const {
    return m_error == 0 ? std::string() : std::string(std::strerror(m_error));
}

bool FileOutput::drain() {
    const char* next = pbase();
    while (m_error == 0 && next < pptr()) {
        const ssize_t written = ::write(m_fd, next, std::size_t(pptr() - next));
        if (written > 0) {
            next += written;
        } else if (written == 0) {
            m_error = EIO;
        } else if (errno != EINTR) {
            m_error = errno;
        }
    }
    // What could not be written is dropped: the stream is failed from here on anyway.
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return m_error == 0;
}

FileOutput::int_type FileOutput::overflow(int_type ch) {
    if (!drain()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

std::streamsize FileOutput::xsputn(const char* text, std::streamsize count) {
    std::streamsize done = 0;
    while (done < count) {
        if (pptr() == epptr() && !drain()) {
            break;
        }
        const auto room = std::streamsize(epptr() - pptr());
        const std::streamsize part = std::min(room, count - done);
        std::memcpy(pptr(), text + done, std::size_t(part));
        pbump(int(part));
        done += part;
    }
    return done;
}

int FileOutput::sync() {
    return drain() ? 0 : -1;
}

}  // namespace kostkolam::script
