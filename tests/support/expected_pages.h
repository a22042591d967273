#pragma once
// The header and data pages a conversion must write, byte for byte, written
// out by hand so tests compare against them rather than against the code.
#include <string>
#include <vector>

namespace kanro::test {

inline const std::string kHeadTop =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
    "<html lang=\"ja\">\r\n"
    "<head>\r\n"
    "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-31J\">\r\n"
    "  <meta http-equiv=\"Content-Style-Type\" content=\"text/css\">\r\n"
    "  <link href=\"../Kanro.css\" rel=\"stylesheet\" type=\"text/css\" media=\"all\">\r\n"
    "  <link href=\"../print.css\" rel=\"stylesheet\" type=\"text/css\" media=\"print\">\r\n"
    "  <title>Header</title>\r\n"
    "</head>\r\n"
    "<body style=\"margin-right: 17px;\">\r\n"
    "<table height=\"50\" class=\"header\">\r\n";
inline const std::string kHeadBottom = "</table></body></html>";

inline std::string DataTop(const std::string& title) {
  return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
         "<html lang=\"ja\">\r\n"
         "<head>\r\n"
         "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-31J\">\r\n"
         "  <meta http-equiv=\"Content-Script-Type\" content=\"text/javascript\">\r\n"
         "  <meta http-equiv=\"Content-Style-Type\" content=\"text/css\">\r\n"
         "  <link href=\"../Kanro.css\" rel=\"stylesheet\" type=\"text/css\" media=\"all\">\r\n"
         "  <link href=\"../print.css\" rel=\"stylesheet\" type=\"text/css\" media=\"print\">\r\n"
         "  <title>" +
         title +
         "</title>\r\n"
         "</head>\r\n"
         "<body onScroll=\"parent.head.document.body.scrollLeft=document.body.scrollLeft;\">\r\n"
         "<table class=\"program\">\r\n"
         "<thead style=\"display: none;\">\r\n";
}
inline const std::string kDataBottom =
    "</tbody>\r\n"
    "</table>\r\n"
    "<iframe name=\"iepg\" frameborder=\"0\" width=\"0\" height=\"0\"></iframe>\r\n"
    "</body></html>\r\n";

// A whole header page with these lines (each gets CR LF).
inline std::string HeadPage(const std::vector<std::string>& lines) {
  std::string page = kHeadTop;
  for (const std::string& line : lines) page += line + "\r\n";
  return page + kHeadBottom;
}

// A whole data page with these lines (each gets CR LF).
inline std::string DataPage(const std::string& title, const std::vector<std::string>& lines) {
  std::string page = DataTop(title);
  for (const std::string& line : lines) page += line + "\r\n";
  return page + kDataBottom;
}

}  // namespace kanro::test
