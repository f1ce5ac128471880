#include "app/WebPictureFetch.h"

#include <memory>

#include "app/HTTPGet.h"
#include "grid/PictureContainer.h"
#include "platform/vcl/Forms.h"

void InstallWebPictureFetcher() {
  SetWebPictureFetcher([](const AnsiString& url, TWebPictureDone done) {
    // Owned by the application, so a request still running at the end is
    // aborted and freed with it.
    auto* http = new THTTPGet(Application);
    http->SetURL(url);
    http->SetSizeClass(hscPoster);
    auto pending = std::make_shared<TWebPictureDone>(std::move(done));
    // The component goes before the picture hears of it: the picture's
    // handlers may start another download. What the reply holds is copied
    // out first, since it lives in the request the component frees.
    http->OnDoneString = [http, pending](TObject*, const AnsiString& bytes) {
      std::string data = bytes;
      TWebPictureDone report = std::move(*pending);
      delete http;
      if (report) report(true, data, "");
    };
    http->OnError = [http, pending](TObject*) {
      TWebPictureDone report = std::move(*pending);
      delete http;
      if (report) report(false, "", "");
    };
    http->GetString();
  });
}
