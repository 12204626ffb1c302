#include "OutputClaims.h"

#include <filesystem>

namespace wavora {
namespace {

namespace fs = std::filesystem;

std::string Normal(const std::string& path) {
    return fs::path(path).lexically_normal().string();
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found && !error;
}

} // namespace

std::string NumberedName(const std::string& path, int n) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    const std::string body = hasExtension ? path.substr(0, dot) : path;
    const std::string extension = hasExtension ? path.substr(dot) : std::string();
    return body + " (" + std::to_string(n) + ")" + extension;
}

TOutputClaims::Claim TOutputClaims::Take(const std::string& wanted, ExistingOutput existing) {
    const std::lock_guard guard(lock_);
    Claim claim;
    const std::string own = Normal(wanted);
    claim.ownEarlier = taken_.contains(own);
    claim.existed = !claim.ownEarlier && Exists(own);
    if (!claim.ownEarlier && (!claim.existed || existing == ExistingOutput::Overwrite)) {
        claim.path = own;
    } else if (!claim.ownEarlier && existing == ExistingOutput::Skip) {
        return claim;
    } else {
        // Never over anything: neither a file on disk nor a name of this batch.
        for (int n = 2;; ++n) {
            const std::string candidate = NumberedName(own, n);
            if (!taken_.contains(candidate) && !Exists(candidate)) {
                claim.path = candidate;
                claim.renamed = true;
                break;
            }
        }
    }
    taken_.insert(claim.path);
    return claim;
}

void TOutputClaims::Release(const std::string& path) {
    const std::lock_guard guard(lock_);
    taken_.erase(Normal(path));
}

} // namespace wavora
