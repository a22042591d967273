#include "net/proxy_settings.h"

#include <gtest/gtest.h>

#include "app/settings_store.h"
#include "net/blowfish.h"
#include "net/network_error_text.h"
#include "text/codepage.h"

namespace {

using kanro::net::ProxySettings;

TEST(ProxySettingsTest, NamedProxyNeedsAnAddressAndAPortNumber) {
  ProxySettings s;
  s.address = "proxy.example";
  for (const char* port : {"1", "8080", "65535"}) {
    s.port = port;
    EXPECT_TRUE(s.ProxyNameValid()) << port;
  }
  for (const char* port : {"", "0", "65536", "99999999999", "80a", " 80", "-1"}) {
    s.port = port;
    EXPECT_FALSE(s.ProxyNameValid()) << port;
  }
  s.address = "";
  s.port = "8080";
  EXPECT_FALSE(s.ProxyNameValid());
}

TEST(ProxySettingsTest, ReadsTheStoredValuesEveryTime) {
  kanro::app::DeleteAllProfileValues();
  ProxySettings defaults = kanro::net::ReadProxySettings();
  EXPECT_EQ(defaults.accessType, 0);
  EXPECT_FALSE(defaults.password);
  EXPECT_FALSE(defaults.SendsCredentials());

  WriteProfileInt("Network", "AccessType", 3);
  WriteProfileString("Network", "ProxyAddress", "127.0.0.1");
  WriteProfileString("Network", "ProxyPort", "3128");
  WriteProfileString("Network", "ProxyUser", "user");
  WriteProfileBinary("Network", "ProxyPass", kanro::net::EncipherProxyPassword("pw"));
  ProxySettings s = kanro::net::ReadProxySettings();
  EXPECT_EQ(s.ProxyName(), "127.0.0.1:3128");
  EXPECT_EQ(s.password, "pw");
  EXPECT_TRUE(s.SendsCredentials());

  WriteProfileBinary("Network", "ProxyPass", "12345");  // not a multiple of 8
  EXPECT_FALSE(kanro::net::ReadProxySettings().password);
  WriteProfileString("Network", "ProxyPass", "text, not binary");
  EXPECT_FALSE(kanro::net::ReadProxySettings().password);
  WriteProfileInt("Network", "AccessType", 1);
  WriteProfileBinary("Network", "ProxyPass", kanro::net::EncipherProxyPassword("pw"));
  EXPECT_FALSE(kanro::net::ReadProxySettings().SendsCredentials());
  kanro::app::DeleteAllProfileValues();
}

TEST(NetworkErrorTextTest, CodesWithoutTheirOwnTextShowCodeAndDetail) {
  using kanro::net::NetworkErrorText;
  EXPECT_EQ(NetworkErrorText(0, "ignored", "http://x/"), "");
  EXPECT_EQ(kanro::text::Cp932ToUtf8(NetworkErrorText(12007, "", "")), "インターネットに接続できません。");
  EXPECT_EQ(kanro::text::Cp932ToUtf8(NetworkErrorText(404, "", "http://x/a")),
            "http://x/a が見つかりません。");
  // A Japanese sentence first, then the number and the detail, at most 255 characters of it.
  EXPECT_EQ(kanro::text::Cp932ToUtf8(NetworkErrorText(407, "Proxy Authentication Required", "")),
            "プロキシサーバーの認証に失敗しました。ユーザー名とパスワードを確かめてください。\n407\n"
            "Proxy Authentication Required");
  EXPECT_EQ(kanro::text::Cp932ToUtf8(NetworkErrorText(502, "", "")), "サーバーでエラーが起きました。\n502\n");
  EXPECT_EQ(kanro::text::Cp932ToUtf8(NetworkErrorText(28, std::string(400, 'e'), "http://x/")),
            "http://x/ から時間内に応答がありませんでした。\n28\n" + std::string(255, 'e'));
  const std::string refused = kanro::text::Cp932ToUtf8(
      NetworkErrorText(7, "Failed to connect to 127.0.0.1 port 9", "http://127.0.0.1:9/"));
  EXPECT_EQ(refused.rfind("http://127.0.0.1:9/ に接続できませんでした。", 0), 0u) << refused;
  EXPECT_NE(refused.find("\n7\nFailed to connect"), std::string::npos) << refused;
}

}  // namespace
