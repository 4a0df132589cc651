#include "ui/path_text.h"

#include <QFile>

std::filesystem::path toPath(const QString& text) {
#ifdef _WIN32
    return std::filesystem::path(text.toStdWString());
#else
    // The file system's own byte encoding of the name, the same one Qt's file classes use.
    const QByteArray bytes = QFile::encodeName(text);
    return std::filesystem::path(
        std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
#endif
}

QString toText(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    const std::string& bytes = path.native();
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
#endif
}
