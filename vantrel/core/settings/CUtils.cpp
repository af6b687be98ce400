#include "CUtils.h"

namespace vantrel {

std::string CUtils::checkMe(const std::string& path) const {
    if (path.empty() || path.back() == '\\') return path;
    return path + '\\';
}

std::string CUtils::FormatPath(const std::string& path) const {
    if (path.empty()) return path;
    std::string result = path.front() == '\\' ? path : '\\' + path;
    if (result.back() != '\\') result += '\\';
    return result;
}

}  // namespace vantrel
