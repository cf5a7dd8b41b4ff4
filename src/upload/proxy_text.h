// Choosing the proxy for plain HTTP from the text of the user's Internet
// proxy settings. Free of Win32.
#pragma once

#include <string>

// The text is a list of pieces separated by ";". The first piece that begins
// with "http=" names the proxy (the text after "http="); when none does, the
// first piece is taken unchanged. An empty result means no proxy.
//   "http=p1:80;https=p2:443" -> "p1:80"
//   "p1:80"                   -> "p1:80"
//   "https=p2:443;ftp=p3:21"  -> "https=p2:443"
std::string PickHttpProxy(const std::string& proxyText);
