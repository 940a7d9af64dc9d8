#include "app/noninteractive_boxes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/gui/error_display.h"

void useNonInteractiveBoxesWhenAsked() {
  const char* wanted = std::getenv("ZENMORA_NONINTERACTIVE");
  if (wanted == nullptr || std::strcmp(wanted, "1") != 0) return;
  gui::setMessageBoxHook([](const gui::MessageBoxRequest& box) {
    const QByteArray text = (box.caption + QLatin1Char('\n') + box.text + QLatin1Char('\n')).toUtf8();
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
    std::fflush(stderr);
  });
}
