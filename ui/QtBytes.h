#pragma once

#include <QFile>
#include <QString>

#include <string>
#include <string_view>

namespace norvane {

// The program's texts are UTF-8 bytes; the window shows them as QString.
inline QString FromBytes(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToBytes(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A path as the file system names it, which need not be valid text.
inline std::string LocalPath(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A path's bytes as the window shows them: what LocalPath turns back into
// the same bytes.
inline QString FromLocalPath(std::string_view path)
{
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

}  // namespace norvane
