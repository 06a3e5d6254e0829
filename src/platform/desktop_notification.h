#pragma once
// Desktop notifications through the freedesktop notification service on the session bus.

#include <string>
#include <vector>

#include "core/result.h"

namespace boardcast {

// Shows one notification naming the posts with new replies; none when posts is empty.
// Fails, with a sentence saying why, when there is no session bus or the service does not
// take the notification.
Status notifyNewReplies(const std::vector<std::string>& posts);

}  // namespace boardcast
