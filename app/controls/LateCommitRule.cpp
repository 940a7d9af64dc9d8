#include "app/controls/LateCommitRule.h"

namespace controls {

QString withoutControlCharacters(const QString& text) {
  QString kept;
  kept.reserve(text.size());
  for (const QChar c : text)
    if (c.category() != QChar::Other_Control) kept.append(c);
  return kept;
}

bool LateCommitRule::admit(const QString& commit, const QString& preedit, std::int64_t now) {
  const QString committed = withoutControlCharacters(commit);
  if (!commit.isEmpty() && !echo_.isEmpty()) {
    if (now <= echoUntil_ && committed == echo_) {
      pending_ = preedit;
      if (!preedit.isEmpty()) echo_.clear();
      return false;
    }
    echo_.clear();
  }
  if (!pending_.isEmpty() && preedit.isEmpty() && !commit.isEmpty() && committed == pending_) {
    watch(pending_, now);
  } else if (!preedit.isEmpty()) {
    echo_.clear();
  }
  pending_ = preedit;
  return true;
}

void LateCommitRule::dropped(const QString& composition, std::int64_t now) {
  pending_.clear();
  if (!composition.isEmpty()) watch(composition, now);
}

void LateCommitRule::watch(const QString& text, std::int64_t now) {
  echo_ = text;
  echoUntil_ = now + kEchoWindowMs;
}

}  // namespace controls
