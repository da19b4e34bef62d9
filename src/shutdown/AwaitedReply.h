#pragma once
// A reply of the system that the shutdown screen waits for, polled from a
// timer of its own and never for longer than a few seconds: a system that
// has not answered by then has given the answer the screen names.

#include <memory>
#include <optional>
#include <utility>

#include "platform/Power.h"

namespace tamrel {

inline constexpr int kReplyPollMs = 50;
inline constexpr int kReplyLimitSeconds = 5;

template <typename Answer>
class AwaitedReply {
public:
    void Await(std::unique_ptr<Reply<Answer>> reply) {
        reply_ = std::move(reply);
        polls_ = 0;
    }
    bool Waiting() const { return reply_ != nullptr; }
    // The answer once it is there, or `late` once the limit has passed;
    // either ends the wait. The first poll comes with the question.
    std::optional<Answer> Poll(Answer late) {
        if (!reply_) return std::nullopt;
        std::optional<Answer> answer = reply_->Poll();
        if (!answer && ++polls_ * kReplyPollMs > kReplyLimitSeconds * 1000) answer = std::move(late);
        if (answer) reply_.reset();
        return answer;
    }

private:
    std::unique_ptr<Reply<Answer>> reply_;
    int polls_ = 0;
};

}  // namespace tamrel
