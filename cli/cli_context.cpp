#include "cli/cli_context.h"

#include <filesystem>

namespace ZQ3 {

CCliContext::CCliContext() : view_([this]() -> const CModel& { return model(); }) {
    controller().setView(&view_);
}

CCliContext::~CCliContext() {
    controller().setView(nullptr);
}

bool CCliContext::loadCard(const std::string& card, int bank) {
    return controller().selectDrive(CardRootFromArgument(card), bank);
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::string CardRootFromArgument(const std::string& card) {
    std::string root = AbsolutePath(card);
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    return root;
}

} // namespace ZQ3
