#pragma once
// A file descriptor owned by one object and closed with it.

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace kestrune {

class TUniqueFd {
public:
    TUniqueFd() = default;
    explicit TUniqueFd(int fd) : FFd(fd) {}
    ~TUniqueFd() { Close(); }
    TUniqueFd(TUniqueFd&& other) noexcept : FFd(other.Release()) {}
    TUniqueFd& operator=(TUniqueFd&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;

    int Get() const { return FFd; }
    bool Valid() const { return FFd >= 0; }
    // Hands the descriptor on; this object holds none afterwards.
    int Release() { return std::exchange(FFd, -1); }
    // Closes the descriptor held; the error number of the close, or 0.
    int Close() {
        const int result = FFd >= 0 && ::close(FFd) != 0 ? errno : 0;
        FFd = -1;
        return result;
    }
    // Closes the descriptor held and takes this one.
    void Reset(int fd = -1) {
        Close();
        FFd = fd;
    }

private:
    int FFd = -1;
};

} // namespace kestrune
