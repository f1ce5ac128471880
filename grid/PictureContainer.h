// Pictures of the mark-up renderer: THTMLPicture (the encoded bytes of a
// picture and its decoded image, GIF frames), TPictureContainer (named
// pictures a form holds) and THTMLPictureCache (the pictures found by
// source: "FILE://", "RES://" and web addresses).
//
// Sections:
//   THTMLPicture ........ bytes, decoding, GIF header and frames, sources
//   Picture resources ... the named pictures "RES://" reads
//   Web pictures ........ the hook that fetches "http://" and other sources
//   TPictureContainer ... TPictureItem, TPictureCollection, FindPicture
//   THTMLPictureCache ... one entry per source
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/vcl/Graphics.h"

// Decoding errors, with the messages of the picture loader.
VIDRENA_EXCEPTION(EHTMLPictureError, Exception);

inline constexpr char kPictureAllocError[] = "Could not allocate memory for image";
inline constexpr char kPictureEmptyStream[] = "Empty image stream created";
inline constexpr char kPictureInvalidFormat[] = "Could not load image. Invalid format";
inline constexpr char kPictureLoadError[] = "Could not load image";

// The largest picture file or resource read, in bytes. Mark-up can name
// any path; a paint must never read without bound.
inline constexpr Int64 kMaxPictureBytes = 32LL * 1024 * 1024;

using TFrameChangeEvent = std::function<void(TObject* sender)>;
using TDownLoadProgressEvent = std::function<void(TObject* sender, Cardinal dwSize, Cardinal dwTotSize)>;
using TDownLoadCancelEvent = std::function<void(TObject* sender, bool& cancel)>;
using TDownLoadErrorEvent = std::function<void(TObject* sender, const AnsiString& err)>;

class THTMLPicture : public TGraphic {
 public:
  THTMLPicture();
  ~THTMLPicture() override;

  void Assign(const TPersistent* source) override;
  bool Empty() const override { return empty_; }
  // The picture's size at 96 pixels per inch; 0 without a decoded picture.
  int Width() const override;
  int Height() const override;
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  // The GIF logical screen size when known, else Width / Height.
  int PictureWidth() const;
  int PictureHeight() const;

  // Raise EHTMLPictureError (and leave the picture empty) when the bytes
  // do not decode.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) const override;
  // Sets the bytes and decodes (the change event fires).
  void LoadFromBytes(std::string bytes);
  const std::string& Bytes() const { return bytes_; }

  // Stretched into r, or at its own size at r's top-left corner.
  void Draw(TCanvas& canvas, const TRect& r) const override;
  std::unique_ptr<TGraphic> Clone() const override;

  bool Stretch() const { return stretch_; }
  void SetStretch(bool v) { stretch_ = v; }
  // The GIF frame shown, from 1; a number outside the picture is clamped
  // to its frames.
  int Frame() const { return frame_; }
  void SetFrame(int frame);
  // Frames of a GIF (counted once), -1 for other pictures.
  int FrameCount() const;
  int GifFrameCount() const { return FrameCount(); }
  int LogicalWidth() const { return logicalWidth_; }
  int LogicalHeight() const { return logicalHeight_; }
  int FrameLeft() const { return frameLeft_; }
  int FrameTop() const { return frameTop_; }
  int FrameWidth() const { return frameWidth_; }
  int FrameHeight() const { return frameHeight_; }

  // "RES://name" (any case) from the picture resources, "FILE://path" from
  // a regular file of at most kMaxPictureBytes, any other source through
  // the web hook (asynchronously when Asynch). A source that cannot be read
  // leaves the picture empty with LoadError set; it never throws. The
  // source is remembered in every case, so a cache finds the entry again.
  void LoadPictureFromUrl(const AnsiString& source);
  const AnsiString& Source() const { return source_; }
  const AnsiString& Url() const { return url_; }
  bool Asynch() const { return asynch_; }
  void SetAsynch(bool v) { asynch_ = v; }
  bool Downloading() const { return downloading_; }
  // The reason the last load failed; empty after a good one.
  const AnsiString& LoadError() const { return loadError_; }
  // The decoded image (empty when the picture is).
  const TBitmap& Image() const { return image_; }

  TFrameChangeEvent OnFrameChange;
  TDownLoadProgressEvent OnDownLoadProgress;
  TDownLoadCancelEvent OnDownLoadCancel;
  TNotifyEvent OnDownLoadComplete;
  TDownLoadErrorEvent OnDownLoadError;

 private:
  void DecodePictureStream();
  void ReadGifHeader();
  void WebPictureArrived(bool ok, const std::string& bytes, const AnsiString& error);

  std::string bytes_;
  TBitmap image_;
  bool empty_ = true;
  bool stretch_ = false;
  int frame_ = 1;
  mutable int frameCount_ = -2;  // not counted yet
  int logicalWidth_ = 0, logicalHeight_ = 0;
  int frameLeft_ = 0, frameTop_ = 0, frameWidth_ = 0, frameHeight_ = 0;
  AnsiString source_;
  AnsiString url_;
  bool asynch_ = true;
  bool downloading_ = false;
  AnsiString loadError_;
  // Lets a web reply that comes after the picture went find that out.
  std::shared_ptr<THTMLPicture*> self_;
};

// The frames of a GIF: each frame start is a graphic control extension
// (21 F9 04) whose image descriptor (2C) follows 8 bytes on. -1 when the
// data is not a GIF (fewer than the 13 bytes of its header and screen
// descriptor, or another signature). The walk stays inside the data.
int CountGifFrames(std::string_view data);

// ---- Picture resources: what "RES://name" names (the program registers
// its pictures at start; names compare without regard to case).
void RegisterPictureResource(const AnsiString& name, std::string bytes);
void UnregisterPictureResources();
bool FindPictureResource(std::string_view name, std::string& bytes);

// ---- Web pictures. The program installs a fetcher that starts a download
// and calls done (on the GUI thread) with the bytes or an error; without
// one, web pictures stay empty.
using TWebPictureDone = std::function<void(bool ok, const std::string& bytes, const AnsiString& error)>;
using TWebPictureFetcher = std::function<void(const AnsiString& url, TWebPictureDone done)>;
void SetWebPictureFetcher(TWebPictureFetcher fetcher);

// ---- TPictureContainer
class TPictureItem : public TCollectionItem {
 public:
  explicit TPictureItem(TCollection* collection);
  ~TPictureItem() override;
  void Assign(const TPersistent* source) override;
  THTMLPicture* Picture() { return picture_.get(); }
  void SetPicture(const THTMLPicture* picture) { picture_->Assign(picture); }
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& v) { name_ = v; }
  int Tag() const { return tag_; }
  void SetTag(int v) { tag_ = v; }

 private:
  std::unique_ptr<THTMLPicture> picture_ = std::make_unique<THTMLPicture>();
  AnsiString name_;
  int tag_ = 0;
};

class TPictureCollection : public TCollection {
 public:
  explicit TPictureCollection(TPersistent* owner);
  TPictureItem* Add() { return static_cast<TPictureItem*>(TCollection::Add()); }
  TPictureItem* Items(int index) const { return static_cast<TPictureItem*>(TCollection::Items(index)); }
};

class TPictureContainer : public TComponent {
 public:
  explicit TPictureContainer(TComponent* owner);
  ~TPictureContainer() override;
  TPictureCollection* Items() { return items_.get(); }
  // The picture of the first item named name (case ignored); nullptr when none.
  THTMLPicture* FindPicture(std::string_view name) const;
  AnsiString Version() const { return "1.0.0.0"; }
  void SetVersion(const AnsiString&) {}

 private:
  std::unique_ptr<TPictureCollection> items_;
};

// ---- THTMLPictureCache: owned by the grid; one picture per source.
class THTMLPictureCache {
 public:
  THTMLPictureCache() = default;
  ~THTMLPictureCache();
  THTMLPictureCache(const THTMLPictureCache&) = delete;
  THTMLPictureCache& operator=(const THTMLPictureCache&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  THTMLPicture* Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
  // The picture loaded from url (exact text); nullptr when none.
  THTMLPicture* FindPictureByUrl(std::string_view url) const;
  // A new empty picture at the end.
  THTMLPicture* AddPicture();
  // The picture of source, created and loaded on first use. A load that
  // fails is reported through OnPictureError once and stays in the cache
  // empty, so later paints neither read nor report it again.
  THTMLPicture* PictureFor(const AnsiString& source);
  void ClearPictures();
  // A picture changed (a web picture arrived): repaint.
  TNotifyEvent OnPictureChange;
  std::function<void(const AnsiString& source, const AnsiString& error)> OnPictureError;

 private:
  std::vector<std::unique_ptr<THTMLPicture>> items_;
};
