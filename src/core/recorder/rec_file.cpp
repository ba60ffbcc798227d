#include "recorder/rec_file.h"

#include <algorithm>

#include <cerrno>
#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace tovan {
namespace {

std::error_code Last_Error() { return {errno, std::generic_category()}; }

class Disk_File final : public Rec_File {
public:
    explicit Disk_File(int fd) : fd_(fd) {}
    ~Disk_File() override { Close(); }

    size_t Write(const uint8_t* data, size_t size, std::error_code& ec) override {
        ec.clear();
        size_t done = 0;
        while (done < size && fd_ >= 0) {
#ifdef _WIN32
            const unsigned chunk = static_cast<unsigned>(std::min<size_t>(size - done, 1u << 30));
            const int n = ::_write(fd_, data + done, chunk);
#else
            const ssize_t n = ::write(fd_, data + done, size - done);
#endif
            if (n < 0) {
                if (errno == EINTR) continue;
                ec = Last_Error();
                return done;
            }
            if (n == 0) {
                ec = std::make_error_code(std::errc::io_error);
                return done;
            }
            done += static_cast<size_t>(n);
        }
        if (fd_ < 0 && done < size) ec = std::make_error_code(std::errc::bad_file_descriptor);
        return done;
    }

    std::error_code Flush() override {
        if (fd_ < 0) return std::make_error_code(std::errc::bad_file_descriptor);
#ifdef _WIN32
        if (::_commit(fd_) != 0) return Last_Error();
#else
        if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) return Last_Error();
#endif
        return {};
    }

    std::error_code Close() override {
        if (fd_ < 0) return {};
#ifdef _WIN32
        const int rc = ::_close(fd_);
#else
        const int rc = ::close(fd_);
#endif
        fd_ = -1;
        return rc != 0 ? Last_Error() : std::error_code{};
    }

private:
    int fd_ = -1;
};

}  // namespace

std::unique_ptr<Rec_File> Open_Disk_File(const std::string& path, Open_Mode mode, std::error_code& ec) {
    ec.clear();
#ifdef _WIN32
    int flags = _O_WRONLY | _O_CREAT | _O_BINARY | (mode == Open_Mode::Append ? _O_APPEND : _O_TRUNC);
    const int fd = ::_open(path.c_str(), flags, _S_IREAD | _S_IWRITE);
#else
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Open_Mode::Append ? O_APPEND : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, 0666);
#endif
    if (fd < 0) {
        ec = Last_Error();
        return nullptr;
    }
    return std::make_unique<Disk_File>(fd);
}

std::error_code Write_All(Rec_File& f, const std::string& text) {
    std::error_code ec;
    const size_t n = f.Write(reinterpret_cast<const uint8_t*>(text.data()), text.size(), ec);
    if (!ec && n != text.size()) ec = std::make_error_code(std::errc::io_error);
    return ec;
}

}  // namespace tovan
