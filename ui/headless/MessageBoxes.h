// Message boxes without a screen: each one recorded, questions answered
// from a list of scripted answers or by a responder.
//
// A box with only an OK button is answered IDOK; the responder, when there
// is one, sees it too (the terminal front end draws it and waits for OK),
// and what it returns does not matter. A question (any other buttons)
// takes the next scripted answer; an answer scripted with an expected text
// must be for a question containing that text. Without a scripted answer
// the responder is asked (the terminal front end asks its user, the
// scripted front end its script). A question nobody answers is a fault of
// the caller, never a silent default: it is recorded as unanswered,
// MessageBoxA returns 0 (its failure value) and, unless `throwOnUnanswered`
// is cleared, UnansweredQuestion is thrown so a test stops at the box.
// Code behind a catch-all boundary may swallow the exception;
// AllQuestionsAnswered() still tells.
#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "system/WinTypes.h"

namespace setwell {

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  UINT type = 0;
  int answer = 0;
  bool unanswered = false;

  bool IsQuestion() const { return (type & MB_TYPEMASK) != MB_OK; }
  UINT Icon() const { return type & MB_ICONMASK; }
  bool operator==(const MessageBoxRecord&) const = default;
};

struct ScriptedAnswer {
  int answer = IDOK;
  std::string expectedText;  // empty: any question

  bool operator==(const ScriptedAnswer&) const = default;
};

class UnansweredQuestion : public std::logic_error {
 public:
  explicit UnansweredQuestion(const std::string& what) : std::logic_error(what) {}
};

class MessageBoxRecorder {
 public:
  // Scripts the answer to the next question.
  void Answer(int answer, std::string expectedText = {});

  int Show(const std::string& text, const std::string& caption, UINT type);

  // The texts of every box shown, in order.
  std::vector<std::string> Texts() const;
  bool AllQuestionsAnswered() const;

  std::vector<MessageBoxRecord> boxes;
  std::deque<ScriptedAnswer> script;
  std::function<int(const MessageBoxRecord&)> responder;
  bool throwOnUnanswered = true;

  bool operator==(const MessageBoxRecorder& other) const {
    return boxes == other.boxes && script == other.script;
  }
};

}  // namespace setwell
