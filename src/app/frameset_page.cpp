#include "app/frameset_page.h"

#include "app/messages.h"
#include "text/codepage.h"
#include "text/text_file.h"

namespace kanro::app {

bool CreateIndex(const std::filesystem::path& path) {
  static constexpr const char* kPage =
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Frameset//EN\">\n"
      "<html lang=\"ja\">\n"
      "<head>\n"
      "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-31J\">\n"
      "</head>\n"
      "<frameset rows=\"49,*\" border=\"0\" frameborder=\"0\" framespacing=\"0\">\n"
      "  <frame name=\"head\" src=\"#\" scrolling=\"no\">\n"
      "  <frame name=\"data\" src=\"#\">\n"
      "</frameset>\n"
      "</html>";
  // Written through a temporary file: a half-written index.htm would count as
  // existing at the next start and never be repaired.
  text::AtomicTextFileWriter writer;
  if (writer.Open(path) && writer.Write(kPage) && writer.Commit()) return true;
  writer.Discard();
  CurrentNotifier().Warn(text::Utf8ToCp932(path.string() + " を作成できませんでした。"));
  return false;
}

}  // namespace kanro::app
