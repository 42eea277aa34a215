#pragma once

// The core's texts are UTF-8; these make Qt texts of them.

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

inline QStringList FromUtf8(const std::vector<std::string>& texts) {
    QStringList list;
    list.reserve(static_cast<int>(texts.size()));
    for (const std::string& text : texts) {
        list << FromUtf8(text);
    }
    return list;
}

}  // namespace orvane
