#pragma once
// Desktop notifications through the freedesktop notification service on the session bus.

#include <functional>
#include <string>
#include <vector>

#include "core/result.h"

namespace boardcast {

// Shows one notification naming the posts with new replies (by title where they have one);
// none when posts is empty. With clicked, the notification offers to show them, and
// clicked runs when the user takes it up (from the event loop). Fails, with a sentence
// saying why, when there is no session bus or the service does not take the notification.
Status notifyNewReplies(const std::vector<std::string>& posts,
                        std::function<void()> clicked = {});

}  // namespace boardcast
