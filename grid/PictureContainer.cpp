// Pictures of the mark-up renderer; the index is in PictureContainer.h.
#include "grid/PictureContainer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ImageReader.h"

namespace {

int Le16(std::string_view data, std::size_t at) {
  if (at + 1 >= data.size()) return 0;
  return static_cast<unsigned char>(data[at]) | (static_cast<unsigned char>(data[at + 1]) << 8);
}

bool IsGif(std::string_view data) {
  // The signature and the logical screen descriptor: 13 bytes.
  return data.size() >= 13 && (data.substr(0, 6) == "GIF87a" || data.substr(0, 6) == "GIF89a");
}

// Calls frame(offset) for each frame start; stops when it returns false.
template <class F>
void WalkGifFrames(std::string_view data, F frame) {
  for (std::size_t i = 13; i + 8 < data.size(); ++i) {
    if (static_cast<unsigned char>(data[i]) == 0x21 && static_cast<unsigned char>(data[i + 1]) == 0xF9 &&
        data[i + 2] == 0x04 && static_cast<unsigned char>(data[i + 8]) == 0x2C) {
      if (!frame(i)) return;
      i += 8;
    }
  }
}

// Windows metafiles (placeable WMF, plain WMF, EMF): there is no decoder
// for them here, so they load as empty pictures rather than as errors.
bool IsMetafile(std::string_view data) {
  auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(data[i]); };
  if (data.size() >= 4 && byteAt(0) == 0xD7 && byteAt(1) == 0xCD && byteAt(2) == 0xC6 && byteAt(3) == 0x9A)
    return true;
  if (data.size() >= 44 && byteAt(0) == 1 && byteAt(1) == 0 && byteAt(2) == 0 && byteAt(3) == 0 &&
      data.substr(40, 4) == " EMF")
    return true;
  return data.size() >= 18 && (byteAt(0) == 1 || byteAt(0) == 2) && byteAt(1) == 0 && byteAt(2) == 9 &&
         byteAt(3) == 0 && (byteAt(4) == 0 && (byteAt(5) == 1 || byteAt(5) == 3));
}

// Reads a regular file of at most kMaxPictureBytes. Opening does not block
// (a FIFO or a device named in mark-up is refused, not waited on) and the
// kind and size are checked on the opened file itself.
bool ReadPictureFile(const AnsiString& path, std::string& bytes, AnsiString& error) {
  const std::string sysName = SysFileName(path);
  const int fd = ::open(sysName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    error = "Cannot open file \"" + path + "\"";
    return false;
  }
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxPictureBytes;
  if (!ok) error = "Not a picture file: \"" + path + "\"";
  if (ok) {
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
  }
  ::close(fd);
  return ok;
}

std::map<AnsiString, std::string>& Resources() {
  static std::map<AnsiString, std::string> resources;
  return resources;
}

TWebPictureFetcher& WebFetcher() {
  static TWebPictureFetcher fetcher;
  return fetcher;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && UpperCase(text.substr(0, prefix.size())) == prefix;
}

}  // namespace

// ------------------------------------------------------------- THTMLPicture

THTMLPicture::THTMLPicture() : self_(std::make_shared<THTMLPicture*>(this)) {}

THTMLPicture::~THTMLPicture() { *self_ = nullptr; }

void THTMLPicture::Assign(const TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    bytes_.clear();
    image_.SetSize(0, 0);
    empty_ = true;
    frameCount_ = -2;
    return;
  }
  if (auto* other = dynamic_cast<const THTMLPicture*>(source)) {
    stretch_ = other->stretch_;
    frame_ = other->frame_;
    LoadFromBytes(other->bytes_);
    return;
  }
  TGraphic::Assign(source);
}

int THTMLPicture::Width() const { return empty_ ? 0 : image_.Width(); }
int THTMLPicture::Height() const { return empty_ ? 0 : image_.Height(); }
int THTMLPicture::PictureWidth() const { return logicalWidth_ > 0 ? logicalWidth_ : Width(); }
int THTMLPicture::PictureHeight() const { return logicalHeight_ > 0 ? logicalHeight_ : Height(); }

void THTMLPicture::LoadFromStream(TStream& stream) {
  const Int64 size = stream.Size() - stream.Position();
  if (size > kMaxPictureBytes) throw EHTMLPictureError(kPictureAllocError);
  std::string bytes(static_cast<std::size_t>(std::max<Int64>(size, 0)), '\0');
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  LoadFromBytes(std::move(bytes));
}

void THTMLPicture::ReadData(TStream& stream) {
  // Without the change event: the reader of a form sets many pictures.
  const Int64 size = stream.Size() - stream.Position();
  if (size > kMaxPictureBytes) throw EHTMLPictureError(kPictureAllocError);
  bytes_.assign(static_cast<std::size_t>(std::max<Int64>(size, 0)), '\0');
  if (!bytes_.empty()) stream.ReadBuffer(bytes_.data(), static_cast<Int64>(bytes_.size()));
  frameCount_ = -2;
  DecodePictureStream();
}

void THTMLPicture::SaveToStream(TStream& stream) const {
  if (!bytes_.empty()) stream.WriteBuffer(bytes_.data(), static_cast<Int64>(bytes_.size()));
}

void THTMLPicture::WriteData(TStream& stream) const { SaveToStream(stream); }

void THTMLPicture::LoadFromBytes(std::string bytes) {
  bytes_ = std::move(bytes);
  frameCount_ = -2;
  DecodePictureStream();
  Changed();
}

int CountGifFrames(std::string_view data) {
  if (!IsGif(data)) return -1;
  int count = 0;
  WalkGifFrames(data, [&](std::size_t) {
    ++count;
    return true;
  });
  return count;
}

int THTMLPicture::FrameCount() const {
  if (frameCount_ == -2) frameCount_ = CountGifFrames(bytes_);
  return frameCount_;
}

void THTMLPicture::ReadGifHeader() {
  logicalWidth_ = logicalHeight_ = frameLeft_ = frameTop_ = frameWidth_ = frameHeight_ = 0;
  if (!IsGif(bytes_)) return;
  logicalWidth_ = Le16(bytes_, 6);
  logicalHeight_ = Le16(bytes_, 8);
  int number = 1;
  WalkGifFrames(bytes_, [&](std::size_t at) {
    if (number == frame_ && at + 16 < bytes_.size()) {
      frameLeft_ = Le16(bytes_, at + 9);
      frameTop_ = Le16(bytes_, at + 11);
      frameWidth_ = Le16(bytes_, at + 13);
      frameHeight_ = Le16(bytes_, at + 15);
      return false;
    }
    ++number;
    return true;
  });
}

void THTMLPicture::DecodePictureStream() {
  empty_ = true;
  loadError_.clear();
  if (bytes_.empty()) {
    image_.SetSize(0, 0);
    return;
  }
  if (IsMetafile(bytes_)) {
    image_.SetSize(0, 0);
    return;
  }
  const int frames = FrameCount();
  if (frames >= 1) frame_ = std::clamp(frame_, 1, frames);
  else frame_ = 1;
  ReadGifHeader();
  TDecodedImageInfo info;
  AnsiString error;
  if (!DecodeImageBytes(bytes_, frame_ - 1, image_, info, error)) {
    image_.SetSize(0, 0);
    logicalWidth_ = logicalHeight_ = 0;
    loadError_ = error;
    throw EHTMLPictureError(error);
  }
  empty_ = false;
}

void THTMLPicture::SetFrame(int frame) {
  const int frames = FrameCount();
  frame = std::max(1, frames >= 1 ? std::min(frame, frames) : frame);
  if (frame == frame_) return;
  frame_ = frame;
  if (bytes_.empty()) return;
  try {
    DecodePictureStream();
  } catch (const EHTMLPictureError&) {
    // stays empty; LoadError tells why
  }
  if (OnFrameChange) OnFrameChange(this);
}

void THTMLPicture::Draw(TCanvas& canvas, const TRect& r) const {
  if (empty_) return;
  if (stretch_) {
    canvas.StretchDraw(r, image_);
    return;
  }
  // The image is at 96 pixels per inch; a printer canvas scales it.
  canvas.Draw(r.Left, r.Top, image_);
}

std::unique_ptr<TGraphic> THTMLPicture::Clone() const {
  auto copy = std::make_unique<THTMLPicture>();
  copy->Assign(this);
  return copy;
}

void THTMLPicture::LoadPictureFromUrl(const AnsiString& source) {
  source_ = source;
  loadError_.clear();
  std::string bytes;
  AnsiString error;
  bool read = false;
  if (StartsWithNoCase(source, "RES://")) {
    read = FindPictureResource(std::string_view(source).substr(6), bytes);
    if (!read) error = "Resource " + source.substr(6) + " not found";
  } else if (StartsWithNoCase(source, "FILE://")) {
    read = ReadPictureFile(source.substr(7), bytes, error);
  } else {
    url_ = source;
    if (!WebFetcher()) return;  // no fetcher: web pictures stay empty
    downloading_ = true;
    std::weak_ptr<THTMLPicture*> self = self_;
    WebFetcher()(source, [self](bool ok, const std::string& data, const AnsiString& err) {
      if (auto alive = self.lock(); alive && *alive) (*alive)->WebPictureArrived(ok, data, err);
    });
    return;
  }
  if (!read) {
    loadError_ = error;
    bytes_.clear();
    empty_ = true;
    return;
  }
  try {
    LoadFromBytes(std::move(bytes));
  } catch (const EHTMLPictureError& e) {
    loadError_ = e.Message();
  }
}

void THTMLPicture::WebPictureArrived(bool ok, const std::string& bytes, const AnsiString& error) {
  downloading_ = false;
  if (ok) {
    try {
      LoadFromBytes(bytes);
      if (OnDownLoadComplete) OnDownLoadComplete(this);
      return;
    } catch (const EHTMLPictureError& e) {
      loadError_ = e.Message();
    }
  } else {
    loadError_ = error.empty() ? AnsiString(kPictureLoadError) : error;
  }
  if (OnDownLoadError) OnDownLoadError(this, loadError_);
}

// ---------------------------------------------------------- Picture resources

void RegisterPictureResource(const AnsiString& name, std::string bytes) {
  Resources()[UpperCase(name)] = std::move(bytes);
}

void UnregisterPictureResources() { Resources().clear(); }

bool FindPictureResource(std::string_view name, std::string& bytes) {
  auto it = Resources().find(UpperCase(name));
  if (it == Resources().end()) return false;
  bytes = it->second;
  return true;
}

void SetWebPictureFetcher(TWebPictureFetcher fetcher) { WebFetcher() = std::move(fetcher); }

// ---------------------------------------------------------- TPictureContainer

TPictureItem::TPictureItem(TCollection* collection) : TCollectionItem(collection) {}
TPictureItem::~TPictureItem() = default;

void TPictureItem::Assign(const TPersistent* source) {
  if (auto* other = dynamic_cast<const TPictureItem*>(source)) {
    name_ = other->name_;
    tag_ = other->tag_;
    picture_->Assign(other->picture_.get());
    return;
  }
  TCollectionItem::Assign(source);
}

TPictureCollection::TPictureCollection(TPersistent* owner)
    : TCollection(TCollection::ItemClassOf<TPictureItem>(), owner) {}

TPictureContainer::TPictureContainer(TComponent* owner)
    : TComponent(owner), items_(std::make_unique<TPictureCollection>(this)) {}

TPictureContainer::~TPictureContainer() = default;

THTMLPicture* TPictureContainer::FindPicture(std::string_view name) const {
  const AnsiString wanted = UpperCase(name);
  for (int i = 0; i < items_->Count(); ++i) {
    TPictureItem* item = items_->Items(i);
    if (UpperCase(item->Name()) == wanted) return item->Picture();
  }
  return nullptr;
}

// ---------------------------------------------------------- THTMLPictureCache

THTMLPictureCache::~THTMLPictureCache() = default;

THTMLPicture* THTMLPictureCache::FindPictureByUrl(std::string_view url) const {
  for (const auto& picture : items_)
    if (picture->Source() == url) return picture.get();
  return nullptr;
}

THTMLPicture* THTMLPictureCache::AddPicture() {
  items_.push_back(std::make_unique<THTMLPicture>());
  return items_.back().get();
}

THTMLPicture* THTMLPictureCache::PictureFor(const AnsiString& source) {
  if (THTMLPicture* found = FindPictureByUrl(source)) return found;
  THTMLPicture* picture = AddPicture();
  picture->SetStretch(false);
  picture->OnDownLoadComplete = [this](TObject* sender) {
    if (OnPictureChange) OnPictureChange(sender);
  };
  picture->OnDownLoadError = [this, picture](TObject*, const AnsiString& error) {
    if (OnPictureError) OnPictureError(picture->Source(), error);
  };
  picture->LoadPictureFromUrl(source);
  if (!picture->LoadError().empty() && OnPictureError) OnPictureError(source, picture->LoadError());
  return picture;
}

void THTMLPictureCache::ClearPictures() { items_.clear(); }
