#include "common/ErrorTexts.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <optional>
#include <string>

#include "common/SafeFile.h"
#include "common/Utf8Text.h"

namespace orvane {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// What is wrong with a file, as the readers and writers word it after the file's name.
struct Reason {
    std::string_view english;  // how the reason begins
    const char* chinese;
    bool keepsDetail;  // what follows the beginning is a technical detail shown as it is
};

constexpr std::array kReasons{
    Reason{"it is not an Excel workbook", "它不是Excel表格文件", false},
    Reason{"it is protected by a password", "它有密码保护", false},
    Reason{"the file is damaged", "文件已损坏", true},
    Reason{"there is not enough memory to read it", "内存不足，无法读取", false},
    Reason{"its texts are in an encoding that cannot be read", "其中文字的编码无法读取", false},
    Reason{"it would unpack to more than", "解压后超过1 GB", false},
    Reason{"its part ", "其中一部分解压后过大，与文件大小不相称", false},
    Reason{"it has more rows or columns than", "行数或列数超过一张工作表的容量", false},
    Reason{"the sheet \"", "工作表过大，超过Orvane能读取的单元格数", false},
    Reason{"it is larger than ", "文件过大，超过Orvane在本机上能读取的大小", false},
    Reason{"the output file is a folder", "输出文件是一个目录", false},
    Reason{"the output file is a named pipe", "输出文件是一个命名管道", false},
    Reason{"the output file is a device", "输出文件是一个设备", false},
    Reason{"the output file is no regular file", "输出文件不是普通文件", false},
    Reason{"the output file is read-only", "输出文件是只读文件", false},
    Reason{"the output file is the input file", "输出文件就是输入文件", false},
    Reason{"its element or attribute names hold", "其元素名或属性名含有GB2312无法保存的字符",
           false},
};

QString ReasonText(std::string_view reason) {
    for (const Reason& known : kReasons) {
        if (StartsWith(reason, known.english)) {
            const QString chinese = QString::fromUtf8(known.chinese);
            return known.keepsDetail ? chinese + FromUtf8(reason.substr(known.english.size()))
                                     : chinese;
        }
    }
    return FromUtf8(reason);
}

// "PREFIX name SEPARATOR reason": the name, and the reason in Chinese, placed into `chinese`.
std::optional<QString> NamedWithReason(std::string_view message, std::string_view prefix,
                                       std::string_view separator, const char* chinese) {
    if (!StartsWith(message, prefix)) {
        return std::nullopt;
    }
    const std::string_view rest = message.substr(prefix.size());
    const size_t at = rest.find(separator);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return QString::fromUtf8(chinese).arg(FromUtf8(rest.substr(0, at)),
                                          ReasonText(rest.substr(at + separator.size())));
}

// "PREFIX detail SUFFIX" in Chinese, the detail kept.
std::optional<QString> Enclosed(std::string_view message, std::string_view prefix,
                                std::string_view suffix, const char* chinese) {
    if (!StartsWith(message, prefix) || message.size() < prefix.size() + suffix.size() ||
        message.substr(message.size() - suffix.size()) != suffix) {
        return std::nullopt;
    }
    const std::string_view detail =
        message.substr(prefix.size(), message.size() - prefix.size() - suffix.size());
    return QString::fromUtf8(chinese).arg(FromUtf8(detail));
}

// Why nothing could be written at `path`, found out after the write failed. No path, no
// reason: the message then stands as it is.
std::optional<QString> CreationReason(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    if (const std::optional<std::string> refusal = OutputRefusal(path)) {
        return ReasonText(*refusal);
    }
    const QFileInfo folder(QFileInfo(QString::fromStdString(path)).absolutePath());
    if (!folder.isDir()) {
        return QStringLiteral("输出文件所在的目录不存在");
    }
    if (!folder.isWritable()) {
        return QStringLiteral("输出文件所在的目录不可写");
    }
    return std::nullopt;
}

// The fixed text stays; its reason follows in Chinese.
std::optional<QString> CannotCreate(std::string_view message) {
    static constexpr std::string_view kPrefix = "Cannot create file ";
    if (!StartsWith(message, kPrefix)) {
        return std::nullopt;
    }
    const std::string_view rest = message.substr(kPrefix.size());
    const size_t colon = rest.rfind(": ");
    const std::string path(colon == std::string_view::npos ? rest : rest.substr(0, colon));
    const std::optional<QString> reason =
        colon == std::string_view::npos ? CreationReason(path) : ReasonText(rest.substr(colon + 2));
    const QString fixed = FromUtf8(kPrefix) + QString::fromStdString(path);
    return reason ? fixed + QStringLiteral("：") + *reason : fixed;
}

struct Plain {
    std::string_view english;
    const char* chinese;
};

constexpr std::array kPlainTexts{
    Plain{"std::bad_alloc", "内存不足"},
    Plain{"sheet too large", "工作表过大"},
    Plain{"shared strings too large", "表格中的文字过多"},
};

}  // namespace

QString DesktopErrorText(std::string_view message) {
    for (const Plain& plain : kPlainTexts) {
        if (message == plain.english) {
            return QString::fromUtf8(plain.chinese);
        }
    }
    for (const std::optional<QString>& text : {
             CannotCreate(message),
             NamedWithReason(message, "Cannot read workbook ", ": ", "无法读取表格文件 %1：%2"),
             NamedWithReason(message, "Cannot read file ", ": ", "无法读取文件 %1：%2"),
             NamedWithReason(message, "The XML file ",
                             " is not well-formed: ", "XML文件 %1 格式不正确：%2"),
             Enclosed(message, "Cell (", ") lies outside the sheet", "单元格（%1）不在工作表内"),
             Enclosed(message, "The cell table ",
                      " has no row with a cell key, a longitude, a latitude and an azimuth",
                      "小区表 %1 中没有一行同时具有小区标识、经度、纬度和方向角"),
             Enclosed(message, "Text conversion from ", " is not available",
                      "无法进行文字编码转换（%1）"),
         }) {
        if (text) {
            return *text;
        }
    }
    return FromUtf8(message);
}

QString DesktopErrorText(const std::exception& error) {
    return DesktopErrorText(std::string_view(error.what()));
}

}  // namespace orvane
