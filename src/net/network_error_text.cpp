#include "net/network_error_text.h"

#include "text/codepage.h"

namespace kanro::net {

namespace {

constexpr size_t kMaxDetail = 255;

// "16 MB", "64 KB" or "1000 バイト".
std::string SizeText(long long bytes) {
  if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0) return std::to_string(bytes / (1024 * 1024)) + " MB";
  if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes / 1024) + " KB";
  return std::to_string(bytes) + kanro::text::Utf8ToCp932(" バイト");
}

// "10 分" or "90 秒".
std::string DurationText(long long seconds) {
  if (seconds >= 60 && seconds % 60 == 0) return std::to_string(seconds / 60) + kanro::text::Utf8ToCp932(" 分");
  return std::to_string(seconds) + kanro::text::Utf8ToCp932(" 秒");
}

// What went wrong, for a code without a message of its own: transport
// error numbers (libcurl's, all below 100) or an HTTP status.
std::string PlainSentence(int code, std::string_view url) {
  using kanro::text::Utf8ToCp932;
  // "http://x/ に…" or, without an address, "サーバーに…".
  const std::string where = url.empty() ? Utf8ToCp932("サーバー") : std::string(url) + " ";
  switch (code) {
    case 5:  // the proxy's name could not be resolved
    case 7:  // nobody listens, or a firewall refused the connection
      return where + Utf8ToCp932("に接続できませんでした。サーバーの名前やネットワークの設定を確かめてください。");
    case 28:
      return where + Utf8ToCp932("から時間内に応答がありませんでした。");
    case 35:
    case 51:
    case 53:
    case 54:
    case 58:
    case 59:
    case 60:
    case 77:
    case 83:
    case 90:
    case 91:
      return where + Utf8ToCp932("と安全な接続（HTTPS）を確立できませんでした。");
    case 52:
      return where + Utf8ToCp932("から応答がありませんでした。");
    case 55:
    case 56:
      return where + Utf8ToCp932("との通信が途中で切れました。");
    case 97:
      return Utf8ToCp932("プロキシサーバーとの接続に失敗しました。");
    case 401:
    case 403:
      return where + Utf8ToCp932("へのアクセスは許可されませんでした。");
    case 407:
      return Utf8ToCp932("プロキシサーバーの認証に失敗しました。ユーザー名とパスワードを確かめてください。");
    default:
      if (code >= 400 && code < 500) return where + Utf8ToCp932("の要求をサーバーが受け付けませんでした。");
      if (code >= 500)
        return url.empty() ? Utf8ToCp932("サーバーでエラーが起きました。")
                           : Utf8ToCp932("サーバーでエラーが起きました（") + std::string(url) + Utf8ToCp932("）。");
      if (code >= 300) return where + Utf8ToCp932("を取得できませんでした。");
      return where + Utf8ToCp932("との通信に失敗しました。");
  }
}

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
    case kAnswerTooLarge:
      // A plain sentence first; the number and the transport's text stay for
      // whoever has to look into it.
      return std::string(url) + Utf8ToCp932(" からの応答が大きすぎるため受信できませんでした。\n") +
             std::to_string(code) + "\n" + std::string(detail.substr(0, kMaxDetail));
    case 503:
      return Utf8ToCp932(
          "サーバーの一時的な過負荷あるいはメインテナンスのために、現在、リクエストを扱うことができません。\n"
          "時間を置いてから再度実行してください。");
    default:
      // A plain sentence first; the number and the system's text stay for
      // whoever has to look into it.
      return PlainSentence(code, url) + "\n" + std::to_string(code) + "\n" +
             std::string(detail.substr(0, kMaxDetail));
  }
}

std::string TooSlowText(std::string_view url, long windowSeconds) {
  using kanro::text::Utf8ToCp932;
  return std::string(url) + Utf8ToCp932(" からの受信が遅すぎるため中止しました（") + DurationText(windowSeconds) +
         Utf8ToCp932("の平均が毎秒 1 KB 未満）。");
}

std::string TooLargeText(std::string_view url, long long maxBytes) {
  using kanro::text::Utf8ToCp932;
  return std::string(url) + Utf8ToCp932(" の応答が大きすぎるため受信を中止しました（上限 ") + SizeText(maxBytes) +
         Utf8ToCp932("）。");
}

std::string DeadlineText(std::string_view url, long long seconds) {
  using kanro::text::Utf8ToCp932;
  return std::string(url) + Utf8ToCp932(" からの受信が ") + DurationText(seconds) +
         Utf8ToCp932("以内に終わらなかったため中止しました。");
}

std::string TooManyRedirectsText(std::string_view url) {
  return std::string(url) + kanro::text::Utf8ToCp932(" は転送（リダイレクト）が多すぎるため取得できませんでした。");
}

std::string ProxySettingErrorText(std::string_view proxyName) {
  return kanro::text::Utf8ToCp932("プロキシサーバーの設定が正しくありません。\n") +
         std::string(proxyName);
}

}  // namespace kanro::net
