#include "update/http_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "update/test_server.h"

namespace {

using update::HttpClient;
using update::HttpOutcome;
using update_test::Response;
using update_test::TestServer;

class HttpClientTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(update::InitHttpGlobally()); }
};

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(HttpClientTest, PostSendsTheHeadersAndTheBodyWithItsNul) {
    TestServer server([](const std::string&) { return Response("200 OK", "{\"a\":1}"); });
    ASSERT_TRUE(server.Ok());
    HttpClient client;
    std::string out;
    const std::string body("app_key=NULL&version=0\0", 23);
    EXPECT_EQ(client.Request("post", server.Url("/api/updates"), body, out), 7);
    EXPECT_EQ(out, "{\"a\":1}");
    EXPECT_EQ(client.LastOutcome(), HttpOutcome::Answered);
    EXPECT_EQ(client.LastStatus(), 200);

    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& r = requests[0];
    EXPECT_EQ(r.rfind("POST /api/updates HTTP/1.1\r\n", 0), 0u) << r;
    EXPECT_NE(r.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
    EXPECT_NE(r.find("\r\nAccept:application/prs.Tavik.v1+json\r\n"), std::string::npos) << r;
    EXPECT_NE(r.find("\r\nUser-Agent: WinHTTP Client/1.0\r\n"), std::string::npos);
    EXPECT_EQ(Count(r, "Content-Length:"), 1u);
    EXPECT_NE(r.find("\r\nContent-Length: 23\r\n"), std::string::npos);
    EXPECT_EQ(Count(r, "Expect:"), 0u);
    const size_t end = r.find("\r\n\r\n");
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(r.substr(end + 4), body);
    EXPECT_EQ(r.back(), '\0');
}

TEST_F(HttpClientTest, GetWithoutBodySendsContentLengthZero) {
    TestServer server([](const std::string&) { return Response("200 OK", "x"); });
    ASSERT_TRUE(server.Ok());
    HttpClient client;
    std::string out;
    EXPECT_EQ(client.Request("Get", server.Url("/q?a=1"), "", out), 1);
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind("GET /q?a=1 HTTP/1.1\r\n", 0), 0u);
    EXPECT_NE(requests[0].find("\r\nContent-Length: 0\r\n"), std::string::npos);
    EXPECT_EQ(requests[0].substr(requests[0].find("\r\n\r\n") + 4), "");
}

TEST_F(HttpClientTest, RefusedParametersReturnMinusOneAndLeaveTheBuffer) {
    HttpClient client;
    std::string out = "kept";
    EXPECT_EQ(client.Request("POST", "", "", out), -1);
    EXPECT_EQ(client.LastError(), update::kErrorPathNotFound);
    EXPECT_EQ(client.Request("PUT", "https://127.0.0.1/", "", out), -1);
    EXPECT_EQ(client.LastError(), update::kErrorInvalidParameter);
    EXPECT_EQ(out, "kept");
    EXPECT_EQ(client.LastOutcome(), HttpOutcome::BadParameter);
    client.Reset();
    EXPECT_EQ(client.LastError(), 0);
    EXPECT_EQ(client.GetTimeouts().connectMs, 60000);
    EXPECT_EQ(client.GetTimeouts().receiveMs, 30000);
}

TEST_F(HttpClientTest, An404BodyComesBackWithItsStatus) {
    TestServer server([](const std::string&) { return Response("404 Not Found", "<h1>no</h1>"); });
    ASSERT_TRUE(server.Ok());
    HttpClient client;
    std::string out;
    EXPECT_EQ(client.Request("POST", server.Url("/api/updates"), "a", out), 11);
    EXPECT_EQ(out, "<h1>no</h1>");
    EXPECT_EQ(client.LastStatus(), 404);
    EXPECT_EQ(client.LastOutcome(), HttpOutcome::Answered);
}

TEST_F(HttpClientTest, UnreachableOrRefusedUrlsGiveTheMarker) {
    HttpClient client;
    std::string out;
    const std::string closed = "http://127.0.0.1:" + std::to_string(update_test::ClosedPort());
    EXPECT_EQ(client.Request("POST", closed + "/api/updates", "a", out), 0);
    EXPECT_EQ(out, "NO_LINK_SERVER");
    EXPECT_EQ(client.LastOutcome(), HttpOutcome::NotSent);
    EXPECT_NE(client.LastError(), 0);

    // Plain http to another host, other schemes and over-long paths are never tried.
    for (const std::string& url :
         {std::string("http://192.0.2.1/api/"), std::string("file:///etc/passwd"),
          std::string("ftp://127.0.0.1/"), std::string("not a url"),
          "https://127.0.0.1/" + std::string(1400, 'a')}) {
        out.clear();
        EXPECT_EQ(client.Request("GET", url, "", out), 0) << url;
        EXPECT_EQ(out, "NO_LINK_SERVER") << url;
    }
}

TEST_F(HttpClientTest, RedirectsAreFollowedOnlyToHttpsOrLoopback) {
    for (const std::string& target :
         std::vector<std::string>{"file:///etc/passwd", "http://192.0.2.1/api/updates"}) {
        TestServer server([&](const std::string&) {
            return Response("302 Found", "moved", "Location: " + target + "\r\n");
        });
        ASSERT_TRUE(server.Ok());
        HttpClient client;
        std::string out;
        EXPECT_EQ(client.Request("POST", server.Url("/api/updates"), "a", out), 5) << target;
        EXPECT_EQ(client.LastStatus(), 302);
        EXPECT_EQ(server.Requests().size(), 1u);
    }

    // A loopback target is taken; a POST after a 302 goes on as GET.
    int port = 0;
    TestServer server([&](const std::string& request) -> std::optional<std::string> {
        if (request.find(" /new ") != std::string::npos)
            return Response("200 OK", "here");
        return Response("302 Found", "",
                        "Location: http://127.0.0.1:" + std::to_string(port) + "/new\r\n");
    });
    ASSERT_TRUE(server.Ok());
    port = server.Port();
    HttpClient client;
    std::string out;
    EXPECT_EQ(client.Request("POST", server.Url("/old"), "a", out), 4);
    EXPECT_EQ(out, "here");
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].rfind("GET /new HTTP/1.1\r\n", 0), 0u);
}

TEST_F(HttpClientTest, AnAnswerOverTheCapIsRefused) {
    const std::string big(5 * 1024 * 1024, 'x');
    TestServer server([&](const std::string&) { return Response("200 OK", big); });
    ASSERT_TRUE(server.Ok());
    HttpClient client;
    std::string out;
    EXPECT_EQ(client.Request("POST", server.Url("/api/updates"), "a", out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(client.LastOutcome(), HttpOutcome::TooLarge);

    // The same without a length announced: the cap ends the transfer.
    TestServer chunked(
        [&](const std::string&) { return "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + big; });
    ASSERT_TRUE(chunked.Ok());
    EXPECT_EQ(client.Request("POST", chunked.Url("/api/updates"), "a", out), 0);
    EXPECT_EQ(client.LastOutcome(), HttpOutcome::TooLarge);
}

TEST_F(HttpClientTest, TheStopEventEndsABlackholedRequest) {
    TestServer server([](const std::string&) { return std::nullopt; });
    ASSERT_TRUE(server.Ok());
    platform::StopEvent stop;
    HttpClient client;
    std::string out;
    int result = -2;
    std::chrono::steady_clock::time_point returned;
    std::thread requester([&] {
        result = client.Request("POST", server.Url("/api/updates"), "a", out,
                                update::kDefaultAnswerCap, &stop);
        returned = std::chrono::steady_clock::now();
    });
    ASSERT_TRUE(server.WaitForRequests(1, 5000));
    const auto stopped = std::chrono::steady_clock::now();
    stop.Set();
    requester.join();
    EXPECT_LT(returned - stopped, std::chrono::seconds(1));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(client.LastOutcome(), HttpOutcome::Stopped);
}

TEST_F(HttpClientTest, AStalledAnswerTimesOut) {
    TestServer server([](const std::string&) { return std::nullopt; });
    ASSERT_TRUE(server.Ok());
    HttpClient client;
    client.SetTimeouts({0, 1000, 1000, 1000});
    std::string out;
    EXPECT_EQ(client.Request("POST", server.Url("/api/updates"), "a", out), 0);
    EXPECT_EQ(client.LastOutcome(), HttpOutcome::TimedOut);
    EXPECT_NE(out, "NO_LINK_SERVER");
}

TEST(UrlPolicyTest, HttpsAnywhereHttpOnlyOnLoopback) {
    EXPECT_TRUE(update::IsAllowedUrl("https://updates.example.org/api/"));
    EXPECT_TRUE(update::IsAllowedUrl("http://127.0.0.1:8080/api/"));
    EXPECT_TRUE(update::IsAllowedUrl("http://localhost/api/"));
    EXPECT_TRUE(update::IsAllowedUrl("http://[::1]:9/api/"));
    EXPECT_FALSE(update::IsAllowedUrl("http://updates.example.org/api/"));
    EXPECT_FALSE(update::IsAllowedUrl("http://127.0.0.1.example.org/"));
    EXPECT_FALSE(update::IsAllowedUrl("http://128.0.0.1/"));
    EXPECT_FALSE(update::IsAllowedUrl("file:///tmp/x"));
    EXPECT_FALSE(update::IsAllowedUrl(""));
}

}  // namespace
