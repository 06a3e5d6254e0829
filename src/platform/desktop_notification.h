#pragma once
// Desktop notifications through the freedesktop notification service on the session bus.

#include <functional>
#include <string>
#include <vector>

#include "core/result.h"
#include "core/watching/reply_notice.h"

namespace boardcast {

// Shows one notification naming the threads with new replies and who answered (see
// replyNotice); none when threads is empty. With clicked, the notification offers to show them, and
// clicked runs when the user takes it up (from the event loop). Fails, with a sentence
// saying why, when there is no session bus or the service does not take the notification.
Status notifyNewReplies(const std::vector<ThreadWithNews>& threads,
                        std::function<void()> clicked = {});

}  // namespace boardcast
