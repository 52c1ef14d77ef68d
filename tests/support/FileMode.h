#pragma once
// A file's permission bits, and the user's mask set for as long as a scope lasts.
#include <QFile>
#include <QString>
#include <sys/stat.h>

namespace filemode {

inline unsigned of(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? unsigned(st.st_mode & 0777) : 0u;
}

class UserMask {
public:
    explicit UserMask(mode_t mask) : before_(::umask(mask)) {}
    ~UserMask() { ::umask(before_); }
    UserMask(const UserMask&) = delete;
    UserMask& operator=(const UserMask&) = delete;

private:
    mode_t before_;
};

} // namespace filemode
