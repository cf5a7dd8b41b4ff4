// The toolkit's top-level window: a borderless per-pixel-alpha layered window
// whose picture is composed in a back buffer from background tiles and
// widgets, then pushed with UpdateLayeredWindow. Outside its rounded shape it
// is click-through, and a second click-through window (the outer window)
// shows the background there (shadow and glow).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/display_scale.h"
#include "base/scoped_win.h"
#include "gui/gui_object.h"
#include "gui/window_message_handler.h"

struct ITaskbarList3;

// One background image. A negative width repeats the tile horizontally (its
// image is -width pixels wide); a negative height repeats it vertically.
struct SkinTile {
    ScopedBitmap bitmap;  // the skin bitmap
    int width = 0;
    int height = 0;
};

// Edges and corners that size the window (SetResizeEdges).
enum ResizeEdge : int {
    kResizeTop = 0x01,
    kResizeRight = 0x02,
    kResizeBottom = 0x04,
    kResizeLeft = 0x08,
    kResizeTopLeft = 0x10,
    kResizeTopRight = 0x20,
    kResizeBottomRight = 0x40,
    kResizeBottomLeft = 0x80,
};

class SkinnableWindow {
public:
    // Width and height are the whole window including the margins, in
    // pixels. The window starts hidden at (150, 150). It is drawn at `dpi`:
    // its background pictures come from the skin for that DPI, and the
    // margins, corners, minimum size and sizing band, given at 96 DPI, are
    // scaled to it.
    SkinnableWindow(HINSTANCE instance, int width, int height, int columns, const wchar_t* title,
                    DWORD style, DWORD extendedStyle, int dpi = kBaseDpi);
    ~SkinnableWindow();
    SkinnableWindow(const SkinnableWindow&) = delete;
    SkinnableWindow& operator=(const SkinnableWindow&) = delete;

    // Width/height: 0 = the image's own, -1 = repeat, other = crop to that
    // size. False (no tile added) when the image does not load.
    bool AddBackgroundTile(const wchar_t* path, int width, int height);
    // Takes the widget; painted in the order added. Returns it (non-owning),
    // or null for null.
    template <typename Widget>
    Widget* AddPainter(std::unique_ptr<Widget> painter) {
        Widget* added = painter.get();
        if (added) painters_.push_back(std::move(painter));
        return added;
    }
    // Hands a painter back to the caller (to move it onto a page, say); null
    // when it is not one.
    std::unique_ptr<GUIObject> RemovePainter(GUIObject* painter);
    void SetMessageHandler(UINT message, WindowMessageHandler handler);

    // At 96 DPI, scaled to the window's.
    void SetMargins(int top, int right, int bottom, int left, bool apply);
    void SetCornerSize(int width, int height);
    void SetResizeEdges(int edges);  // ResizeEdge bits
    void SetMinimumSize(int width, int height);
    // The DPI the window is drawn at, and a 96-DPI length at it.
    int Dpi() const { return dpi_; }
    // Draws the window at `dpi` from now on (it moved onto a monitor of
    // another scale): margins, corners, minimum size and background at the
    // new scale, every widget's box converted (the widgets load their
    // pictures and fonts for the DPI as they next paint), the window moved
    // and sized to `suggested` (null: its size converted, its corner kept)
    // and drawn there at once, so the old size never shows. WM_DPICHANGED
    // does this with the system's DPI and rectangle.
    void ApplyScale(int dpi, const RECT* suggested);
    int Scale(int length) const { return ScaleLength(length, dpi_); }
    // In pixels; ignored below the minimum size.
    void ResizeTo(int width, int height, bool skipLayout);
    void MoveTo(int x, int y);
    POINT GetPosition() const;
    void SetTopmost(bool topmost);

    // False when the desktop window manager is not there (Windows XP).
    bool EnableBlur(bool enable);
    void ApplyBlur(bool useSavedMargins);

    // A null small icon uses the big one.
    void SetIcons(HICON bigIcon, HICON smallIcon);
    void SetShowInTaskbar(bool show);
    // The taskbar's progress interface (Windows 7 and later), or null.
    ITaskbarList3* TaskbarList() const { return taskbarList_.get(); }

    // Any thread: invalidates `rect` (null = everything) and posts the paint
    // request.
    void Invalidate(const RECT* rect);
    // Null re-reads the window rectangle; otherwise moves and sizes the window
    // to `rect`. Rebuilds the shape and repaints everything.
    void Relayout(const RECT* rect);

    HWND MainWindow() const { return mainWindow_; }
    HINSTANCE Instance() const { return instance_; }
    void Show(int command);
    // Shows the window and dispatches the thread's messages until WM_QUIT;
    // returns 0 then. Work other threads post to the window
    // (PostToWindowThread) runs inside this loop.
    int RunMessageLoop();

    // What WM_NCHITTEST answers for a point in client coordinates.
    LRESULT HitTest(POINT client) const;

    // Composes and pushes the pending update rectangle now; what the
    // "Korvane.WindowPaint" message does.
    void PaintNow();

    // Inspection, mainly for tests.
    HWND OuterWindow() const { return outerWindow_; }
    HWND HiddenOwnerWindow() const { return hiddenOwner_; }
    HRGN ShapeRegion() const { return shape_.get(); }
    RECT WindowRect() const { return windowRect_; }
    bool ShowInTaskbar() const { return showInTaskbar_; }
    // The widgets in paint order (non-owning).
    std::vector<GUIObject*> Painters() const;
    // The back buffer: bottom-up rows of B, G, R, A bytes; null before the
    // first paint.
    const std::uint32_t* BackBufferPixels() const { return backBits_; }
    SIZE BackBufferSize() const { return backSize_; }
    // One back-buffer pixel at window coordinates as 0xAARRGGBB (0 outside).
    std::uint32_t BackBufferPixel(int x, int y) const;

    // The window procedure of the "SkinnableWindow" class.
    static LRESULT CALLBACK ClassWindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

private:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void DrawTiles(HDC target, int width, int height) const;
    void PushOuterPicture(int width, int height);
    // `dirty` names the changed part, or null for the whole picture.
    void PushLayered(HWND target, HDC source, int width, int height,
                     const RECT* dirty = nullptr) const;
    bool RecreateBackBuffer(int width, int height);
    void FreeBackBuffer();
    HRGN CreateShape(int left, int top, int right, int bottom) const;
    void OnTaskbarButtonCreated();
    LRESULT OnSizing(RECT* proposed);
    // The margins at the window's DPI (none while the user moves or sizes it).
    void ScaleMargins();
    // A background tile as asked for (AddBackgroundTile) at the window's
    // DPI; null when its image does not load.
    std::unique_ptr<SkinTile> LoadTile(const std::wstring& path, int width, int height) const;
    void AppendTile(std::unique_ptr<SkinTile> tile, int width, int height);

    int dpi_ = kBaseDpi;
    int columns_ = 0;
    int nextColumn_ = 0;
    int nextRow_ = 0;
    HWND mainWindow_ = nullptr;
    HINSTANCE instance_ = nullptr;
    std::vector<std::unique_ptr<SkinTile>> tiles_;
    std::map<int, int> columnHeights_;
    std::map<int, int> rowWidths_;
    // The back buffer: its bitmap stays selected into its device context
    // until FreeBackBuffer. Painting happens only on the window's thread, so
    // nothing here is locked.
    ScopedMemoryDC backDc_;
    ScopedBitmap backBitmap_;
    HGDIOBJ backOldBitmap_ = nullptr;
    std::uint32_t* backBits_ = nullptr;
    SIZE backSize_{0, 0};
    std::vector<std::unique_ptr<GUIObject>> painters_;
    ScopedRegion shape_;
    // What AddBackgroundTile was asked, so the tiles load again at a new DPI.
    struct TileRequest {
        std::wstring path;
        int width, height;
    };
    std::vector<TileRequest> tileRequests_;
    RECT baseMargins_{0, 0, 0, 0};  // at 96 DPI
    bool sizeMoving_ = false;
    int marginLeft_ = 0, marginTop_ = 0, marginRight_ = 0, marginBottom_ = 0;
    int savedLeft_ = 0, savedTop_ = 0, savedRight_ = 0, savedBottom_ = 0;
    HWND outerWindow_ = nullptr;
    HWND hiddenOwner_ = nullptr;
    RECT windowRect_{0, 0, 0, 0};
    SIZE baseCorner_{0, 0}, baseMinimum_{0, 0};  // at 96 DPI
    int cornerWidth_ = 0, cornerHeight_ = 0;
    int resizeEdges_ = 0;
    bool fullRedraw_ = false;
    bool blurWanted_ = false;
    int minimumWidth_ = 0, minimumHeight_ = 0;
    ComPtr<ITaskbarList3> taskbarList_;
    bool showInTaskbar_ = false;
    std::map<UINT, WindowMessageHandler> handlers_;
};

// The SkinnableWindow whose main window is `window` or one of its ancestors
// (parents or owners); null when there is none.
SkinnableWindow* FindSkinnableWindow(HWND window);

// The registered messages the window answers.
UINT WindowPaintMessage();     // "Korvane.WindowPaint"
UINT TaskbarButtonMessage();   // "TaskbarButtonCreated"
