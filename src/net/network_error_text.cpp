#include "net/network_error_text.h"

#include "text/codepage.h"

namespace kanro::net {

namespace {

constexpr size_t kMaxDetail = 255;

}  // namespace

std::string NetworkErrorText(int code, std::string_view detail, std::string_view url) {
  using kanro::text::Utf8ToCp932;
  switch (code) {
    case 0:
      return {};
    case kNameNotResolved:
      return Utf8ToCp932("インターネットに接続できません。");
    case 400:
      return Utf8ToCp932("不適切な要求です。");
    case 404:
      return std::string(url) + Utf8ToCp932(" が見つかりません。");
    case 405:
      return Utf8ToCp932("サーバーは要求された方式をサポートしていません。");
    case 500:
      return Utf8ToCp932("サーバーの内部エラーです。");
    case 503:
      return Utf8ToCp932(
          "サーバーの一時的な過負荷あるいはメインテナンスのために、現在、リクエストを扱うことができません。\n"
          "時間を置いてから再度実行してください。");
    default:
      return std::to_string(code) + "\n" + std::string(detail.substr(0, kMaxDetail));
  }
}

std::string ProxySettingErrorText(std::string_view proxyName) {
  return kanro::text::Utf8ToCp932("プロキシサーバーの設定が正しくありません。\n") +
         std::string(proxyName);
}

}  // namespace kanro::net
