// Finding the CAM host: the link's module is loaded only when the host's socket file exists.
#pragma once

#include "lumbraapp/hostlink.h"

#include <memory>
#include <string>

namespace lumbra {

using HostLinkFactory = HostLink* (*)();

// The link to try at start-up, or null for an ordinary run: no runtime folder or no socket file for the
// service (nothing is loaded then), or a module that cannot be loaded (`problem` says why).
std::unique_ptr<HostLink> openHostLink(std::string& problem);

} // namespace lumbra
