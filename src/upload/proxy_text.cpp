#include "upload/proxy_text.h"

#include <vector>

namespace {

std::vector<std::string> SplitAtSemicolons(const std::string& text) {
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = text.find(';', start);
        pieces.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return pieces;
        start = end + 1;
    }
}

}  // namespace

std::string PickHttpProxy(const std::string& proxyText) {
    static const std::string kHttpTag = "http=";
    const std::vector<std::string> pieces = SplitAtSemicolons(proxyText);
    for (const std::string& piece : pieces) {
        if (piece.compare(0, kHttpTag.size(), kHttpTag) == 0) return piece.substr(kHttpTag.size());
    }
    return pieces.front();
}
