#pragma once

namespace tessaly {

// What a poll of a worker's result answers: Pending re-arms the polling timer.
enum class PollResult { Pending, Done };

}  // namespace tessaly
