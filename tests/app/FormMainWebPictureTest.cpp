// Web pictures of mark-up cells and hints arrive through the HTTP component
// the program installs at start, from a server on this machine.
#include <gtest/gtest.h>

#include "app/WebPictureFetch.h"
#include "grid/PictureContainer.h"
#include "platform/vcl/Jpeg.h"
#include "tests/app/HttpTestSupport.h"

namespace {

std::string JpegBytes(int width, int height) {
  TBitmap b;
  b.SetSize(width, height);
  TJPEGImage jpeg;
  jpeg.Assign(&b);
  TStringStream stream("");
  jpeg.SaveToStream(stream);
  return stream.DataString();
}

class WebPictureTest : public HttpTest {
 protected:
  void SetUp() override {
    HttpTest::SetUp();
    InstallWebPictureFetcher();
  }
  void TearDown() override {
    SetWebPictureFetcher(nullptr);
    HttpTest::TearDown();
  }
};

}  // namespace

TEST_F(WebPictureTest, APictureNamedByAWebAddressIsFetchedAndDecoded) {
  const std::string jpeg = JpegBytes(24, 16);
  LocalHttpServer server([&](const TReceivedRequest& r, TServerConnection& c) {
    if (r.Target == "/poster.jpg") c.Send(LocalHttpServer::Reply(200, jpeg));
    else c.Send(LocalHttpServer::Reply(404, "<html>not found</html>"));
  });
  THTMLPicture picture;
  int completed = 0;
  picture.OnDownLoadComplete = [&](TObject*) { ++completed; };
  picture.LoadPictureFromUrl(server.Url("/poster.jpg"));
  EXPECT_TRUE(picture.Downloading());
  ASSERT_TRUE(PumpUntil([&] { return !picture.Downloading(); }));
  EXPECT_EQ(completed, 1);
  EXPECT_EQ(picture.Bytes(), jpeg);
  EXPECT_EQ(picture.Image().Width(), 24);
  EXPECT_EQ(picture.Image().Height(), 16);
  EXPECT_TRUE(picture.LoadError().empty());
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].Method, "GET");
}

TEST_F(WebPictureTest, AMissingOrBrokenPictureReportsAnErrorAndStaysEmpty) {
  LocalHttpServer server([&](const TReceivedRequest& r, TServerConnection& c) {
    if (r.Target == "/broken.jpg") c.Send(LocalHttpServer::Reply(200, "not a picture at all"));
    else c.Send(LocalHttpServer::Reply(404, "<html>not found</html>"));
  });
  for (const char* path : {"/missing.jpg", "/broken.jpg"}) {
    THTMLPicture picture;
    AnsiString error;
    picture.OnDownLoadError = [&](TObject*, const AnsiString& e) { error = e; };
    picture.LoadPictureFromUrl(server.Url(path));
    ASSERT_TRUE(PumpUntil([&] { return !picture.Downloading(); })) << path;
    EXPECT_FALSE(error.empty()) << path;
    EXPECT_EQ(picture.Image().Width(), 0) << path;
  }
}

TEST_F(WebPictureTest, APictureFreedBeforeItsReplyIsLeftAlone) {
  LocalHttpServer server([&](const TReceivedRequest&, TServerConnection& c) {
    c.Pause(300);
    c.Send(LocalHttpServer::Reply(200, JpegBytes(8, 8)));
  });
  const int components = Application->ComponentCount();
  auto picture = std::make_unique<THTMLPicture>();
  picture->LoadPictureFromUrl(server.Url("/late.jpg"));
  EXPECT_EQ(Application->ComponentCount(), components + 1);
  picture.reset();
  // The reply comes to nobody; the request's component is freed all the same.
  EXPECT_TRUE(PumpUntil([&] { return Application->ComponentCount() == components; }));
}
