// Which proxy plain HTTP requests use, given the Internet settings' text.
#include <gtest/gtest.h>

#include "upload/proxy_text.h"

TEST(PickHttpProxy, TakesTheHttpPieceOfAPerSchemeList) {
    EXPECT_EQ("p1:80", PickHttpProxy("http=p1:80;https=p2:443"));
    EXPECT_EQ("p1:80", PickHttpProxy("https=p2:443;http=p1:80"));
    EXPECT_EQ("p1:80", PickHttpProxy("ftp=p3:21;https=p2:443;http=p1:80;http=p4:8080"));
}

TEST(PickHttpProxy, FallsBackToTheFirstPieceUnchanged) {
    EXPECT_EQ("p1:80", PickHttpProxy("p1:80"));
    EXPECT_EQ("https=p2:443", PickHttpProxy("https=p2:443;ftp=p3:21"));
    // The tag is matched exactly, at the start of a piece only.
    EXPECT_EQ("HTTP=p1:80", PickHttpProxy("HTTP=p1:80;https=p2:443"));
    EXPECT_EQ(" http=p1:80", PickHttpProxy(" http=p1:80"));
    EXPECT_EQ("xhttp=p1:80", PickHttpProxy("xhttp=p1:80;ftp=p3:21"));
}

TEST(PickHttpProxy, EmptyPiecesGiveNoProxy) {
    EXPECT_EQ("", PickHttpProxy(""));
    EXPECT_EQ("", PickHttpProxy(";p1:80"));
    EXPECT_EQ("", PickHttpProxy("http="));
    EXPECT_EQ("p1:80", PickHttpProxy("p1:80;"));
}
