#include "gui/skinnable_window.h"
#include "gui/argb_bitmap.h"

#include <windowsx.h>
#include <shobjidl.h>

#include <algorithm>

#include "base/monitor_dpi.h"
#include "base/system_library.h"
#include "base/window_registry.h"
#include "base/window_task.h"
#include "base/windows_version.h"
#include "gui/dwm_api.h"
#include "gui/gui_object.h"
#include "gui/image_library.h"
#include "gui/gui_page.h"
#include "gui/owned_list.h"
#include "gui/window_class.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

const wchar_t kClassName[] = L"SkinnableWindow";
constexpr int kSizingBand = 7;  // inward from the shape's edge, at 96 DPI
constexpr int kStartPosition = 150;

// {56FDF344-FD6D-11D0-958A-006097C9A090}
const CLSID kTaskbarListClass = {0x56FDF344, 0xFD6D, 0x11D0,
                                 {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
// {EA1AFB91-9E28-4B86-90E9-9E9F8A5EEFAF}
const IID kTaskbarList3Interface = {0xEA1AFB91, 0x9E28, 0x4B86,
                                    {0x90, 0xE9, 0x9E, 0x9F, 0x8A, 0x5E, 0xEF, 0xAF}};
constexpr DWORD kTaskbarClassContext =
    CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// Toast windows live on threads of their own, so the map is locked.
WindowRegistry<SkinnableWindow>& Windows() {
    static auto* windows = new WindowRegistry<SkinnableWindow>;  // lives until exit
    return *windows;
}

BLENDFUNCTION SourceAlpha() {
    BLENDFUNCTION blend{};
    blend.BlendOp = AC_SRC_OVER;
    blend.SourceConstantAlpha = 255;
    blend.AlphaFormat = AC_SRC_ALPHA;
    return blend;
}

}  // namespace

UINT WindowPaintMessage() {
    static const UINT message = RegisterWindowMessageW(L"Korvane.WindowPaint");
    return message;
}

UINT TaskbarButtonMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

SkinnableWindow* FindSkinnableWindow(HWND window) {
    while (window) {
        if (SkinnableWindow* found = Windows().Find(window)) return found;
        window = GetParent(window);  // the owner, for top-level windows
    }
    return nullptr;
}

SkinnableWindow::SkinnableWindow(HINSTANCE instance, int width, int height, int columns, const wchar_t* title,
                                 DWORD style, DWORD extendedStyle, int dpi)
    : dpi_(UsableDpi(dpi)), columns_(columns > 0 ? columns : 1) {
    InitImageLibrary();

    const bool toolWindow = (extendedStyle & WS_EX_TOOLWINDOW) != 0;
    if (IsWindows7OrLater() && !toolWindow) {
        if (FAILED(CoCreateInstance(kTaskbarListClass, nullptr, kTaskbarClassContext, kTaskbarList3Interface,
                                    taskbarList_.put_void())) ||
            !taskbarList_ || FAILED(taskbarList_->HrInit())) {
            taskbarList_.reset();
        }
    }

    instance_ = instance;
    RegisterWindowClassOnce(instance, kClassName, SkinnableWindow::ClassWindowProc, 0);
    // Before Windows 7 an invisible owner keeps the main window's taskbar
    // button under the program's control.
    if (!IsWindows7OrLater() && !toolWindow) {
        hiddenOwner_ = CreateWindowExW(WS_EX_LAYERED, kClassName, title, 0, kStartPosition,
                                       kStartPosition, width, height, nullptr, nullptr, instance,
                                       nullptr);
    }
    mainWindow_ = CreateWindowExW(extendedStyle | WS_EX_LAYERED, kClassName, title, style,
                                  kStartPosition, kStartPosition, width, height, hiddenOwner_,
                                  nullptr, instance, nullptr);
    // Shown without being activated: created visible, a popup would take
    // the keyboard from whatever the user is typing in.
    outerWindow_ = CreateWindowExW(extendedStyle | WS_EX_LAYERED | WS_EX_TRANSPARENT, kClassName,
                                   title, style | WS_POPUP, kStartPosition, kStartPosition, width,
                                   height, mainWindow_, nullptr, instance, nullptr);
    if (outerWindow_) ShowWindow(outerWindow_, SW_SHOWNA);
    Windows().Add(mainWindow_, this);
    const LONG_PTR frameless =
        GetWindowLongPtrW(mainWindow_, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CAPTION | WS_DLGFRAME);
    SetWindowLongPtrW(mainWindow_, GWL_STYLE, frameless);
    SetWindowPos(mainWindow_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(mainWindow_, &windowRect_);
}

SkinnableWindow::~SkinnableWindow() {
    // The widgets first: their input windows are children of the main window.
    painters_.clear();
    tiles_.clear();
    FreeBackBuffer();
    shape_.reset();
    Windows().Remove(mainWindow_);
    DiscardPostedTasks(mainWindow_);
    if (IsWindow(mainWindow_)) DestroyWindow(mainWindow_);  // takes the outer window along
    if (hiddenOwner_ && IsWindow(hiddenOwner_)) DestroyWindow(hiddenOwner_);
}

bool SkinnableWindow::AddBackgroundTile(const wchar_t* path, int width, int height) {
    if (!path) return false;
    std::unique_ptr<SkinTile> tile = LoadTile(path, width, height);
    if (!tile) return false;
    tileRequests_.push_back(TileRequest{path, width, height});
    AppendTile(std::move(tile), width, height);
    return true;
}

std::unique_ptr<SkinTile> SkinnableWindow::LoadTile(const std::wstring& path, int width, int height) const {
    HBITMAP bitmap = nullptr;
    SIZE size{};
    if (!LoadImageBitmap(path.c_str(), &bitmap, nullptr, &size, dpi_)) return nullptr;
    auto tile = std::make_unique<SkinTile>();
    tile->bitmap.reset(bitmap);
    tile->width = width == 0 ? size.cx : width == -1 ? -size.cx : width;
    tile->height = height == 0 ? size.cy : height == -1 ? -size.cy : height;
    return tile;
}

void SkinnableWindow::AppendTile(std::unique_ptr<SkinTile> tile, int width, int height) {
    // Fixed slices count against the space the repeating ones fill.
    if (height != -1) columnHeights_[nextColumn_] += tile->height;
    if (width != -1) rowWidths_[nextRow_] += tile->width;
    nextColumn_ = (nextColumn_ + 1) % columns_;
    if (nextColumn_ == 0) ++nextRow_;
    tiles_.push_back(std::move(tile));
}

std::unique_ptr<GUIObject> SkinnableWindow::RemovePainter(GUIObject* painter) {
    return TakeOwned(painters_, painter);
}

std::vector<GUIObject*> SkinnableWindow::Painters() const {
    return Borrowed(painters_);
}

void SkinnableWindow::SetMessageHandler(UINT message, WindowMessageHandler handler) {
    handlers_[message] = handler;
}

void SkinnableWindow::SetMargins(int top, int right, int bottom, int left, bool apply) {
    baseMargins_ = RECT{left, top, right, bottom};
    ScaleMargins();
    if (apply) Relayout(nullptr);
}

void SkinnableWindow::ScaleMargins() {
    const int scale = sizeMoving_ ? 0 : 1;
    marginTop_ = scale * Scale(baseMargins_.top);
    marginRight_ = scale * Scale(baseMargins_.right);
    marginBottom_ = scale * Scale(baseMargins_.bottom);
    marginLeft_ = scale * Scale(baseMargins_.left);
}

void SkinnableWindow::SetCornerSize(int width, int height) {
    baseCorner_ = SIZE{width, height};
    cornerWidth_ = Scale(width);
    cornerHeight_ = Scale(height);
    Relayout(nullptr);
}

void SkinnableWindow::SetResizeEdges(int edges) { resizeEdges_ = edges; }

void SkinnableWindow::SetMinimumSize(int width, int height) {
    baseMinimum_ = SIZE{width, height};
    minimumWidth_ = Scale(width);
    minimumHeight_ = Scale(height);
    RECT current{};
    GetWindowRect(mainWindow_, &current);
    ResizeTo(std::max<int>(current.right - current.left, minimumWidth_),
             std::max<int>(current.bottom - current.top, minimumHeight_), false);
}

namespace {

void ConvertWidgetBox(GUIObject& widget, int fromDpi, int toDpi) {
    const POINT at = widget.Position();
    const SIZE size = widget.Size();
    const LayoutBox box = ConvertBox(LayoutBox{at.x, at.y, size.cx, size.cy}, fromDpi, toDpi);
    if (box.x != at.x || box.y != at.y) widget.Move(box.x, box.y);
    if (box.width != size.cx || box.height != size.cy) widget.Resize(box.width, box.height);
}

}  // namespace

void SkinnableWindow::ApplyScale(int dpi, const RECT* suggested) {
    const int from = dpi_, to = UsableDpi(dpi);
    RECT target = windowRect_;
    if (suggested) {
        target = *suggested;
    } else {
        target.right = target.left + ConvertLayoutLength(windowRect_.right - windowRect_.left, from, to);
        target.bottom = target.top + ConvertLayoutLength(windowRect_.bottom - windowRect_.top, from, to);
    }
    if (from != to) {
        dpi_ = to;
        ScaleMargins();
        cornerWidth_ = Scale(baseCorner_.cx);
        cornerHeight_ = Scale(baseCorner_.cy);
        minimumWidth_ = Scale(baseMinimum_.cx);
        minimumHeight_ = Scale(baseMinimum_.cy);
        // The background as a whole, or (a picture gone missing) as it was.
        // A tile cropped to a size has that size at the new scale.
        for (TileRequest& request : tileRequests_) {
            if (request.width > 0) request.width = ConvertLayoutLength(request.width, from, to);
            if (request.height > 0) request.height = ConvertLayoutLength(request.height, from, to);
        }
        std::vector<std::unique_ptr<SkinTile>> loaded;
        for (const TileRequest& request : tileRequests_) {
            loaded.push_back(LoadTile(request.path, request.width, request.height));
            if (!loaded.back()) break;
        }
        if (!loaded.empty() && loaded.back() && loaded.size() == tileRequests_.size()) {
            tiles_.clear();
            columnHeights_.clear();
            rowWidths_.clear();
            nextColumn_ = nextRow_ = 0;
            for (std::size_t i = 0; i < loaded.size(); ++i) {
                AppendTile(std::move(loaded[i]), tileRequests_[i].width, tileRequests_[i].height);
            }
        }
        for (const auto& painter : painters_) {
            ConvertWidgetBox(*painter, from, to);
            if (auto* page = dynamic_cast<GUIPage*>(painter.get())) {
                for (GUIObject* child : page->Children()) ConvertWidgetBox(*child, from, to);
            }
        }
    }
    // The size last: the owner's WM_SIZE handler lays out what depends on it
    // at the new scale.
    Relayout(&target);
    ApplyBlur(false);
    PaintNow();
}

void SkinnableWindow::ResizeTo(int width, int height, bool skipLayout) {
    if (width < minimumWidth_ || height < minimumHeight_) return;
    SetWindowPos(mainWindow_, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (skipLayout) return;
    Relayout(nullptr);
    ApplyBlur(false);
}

void SkinnableWindow::MoveTo(int x, int y) {
    SetWindowPos(mainWindow_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Every push of the picture places the window at the stored rectangle, so
    // it moves too, and the outer window with it.
    OffsetRect(&windowRect_, x - windowRect_.left, y - windowRect_.top);
    SetWindowPos(outerWindow_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT SkinnableWindow::GetPosition() const { return POINT{windowRect_.left, windowRect_.top}; }

void SkinnableWindow::SetTopmost(bool topmost) {
    SetWindowPos(mainWindow_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool SkinnableWindow::EnableBlur(bool enable) {
    if (!Dwm()) return false;
    if (enable == blurWanted_) return true;
    blurWanted_ = enable;
    ApplyBlur(false);
    return true;
}

HRGN SkinnableWindow::CreateShape(int left, int top, int right, int bottom) const {
    const int width = windowRect_.right - windowRect_.left;
    const int height = windowRect_.bottom - windowRect_.top;
    return CreateRoundRectRgn(left, top, width - right, height - bottom, cornerWidth_,
                              cornerHeight_);
}

void SkinnableWindow::ApplyBlur(bool useSavedMargins) {
    const DwmApi* dwm = Dwm();
    if (!dwm) return;
    BOOL composition = FALSE;
    if (FAILED(dwm->isCompositionEnabled(&composition))) composition = FALSE;
    DWM_BLURBEHIND blur{};
    blur.dwFlags = DWM_BB_ENABLE | DWM_BB_BLURREGION;
    blur.fEnable = composition && blurWanted_;
    blur.fTransitionOnMaximized = FALSE;
    // While the user drags, the shape covers the whole window; the blur keeps
    // to the shape the margins will give back.
    ScopedRegion saved(useSavedMargins ? CreateShape(savedLeft_, savedTop_, savedRight_, savedBottom_)
                                       : nullptr);
    blur.hRgnBlur = saved ? saved.get() : shape_.get();
    dwm->enableBlurBehindWindow(mainWindow_, &blur);
}

void SkinnableWindow::SetIcons(HICON bigIcon, HICON smallIcon) {
    if (!smallIcon) smallIcon = bigIcon;
    for (HWND window : {mainWindow_, hiddenOwner_}) {
        if (!window) continue;
        PostMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
        PostMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    }
}

void SkinnableWindow::SetShowInTaskbar(bool show) {
    if (taskbarList_) {
        if (show) {
            taskbarList_->AddTab(mainWindow_);
        } else {
            taskbarList_->DeleteTab(mainWindow_);
        }
    } else if (hiddenOwner_) {
        ShowWindow(mainWindow_, SW_HIDE);
        LONG_PTR style = GetWindowLongPtrW(mainWindow_, GWL_EXSTYLE);
        style = show ? (style | WS_EX_APPWINDOW) : (style & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
        SetWindowLongPtrW(mainWindow_, GWL_EXSTYLE, style);
        ShowWindow(mainWindow_, SW_SHOW);
    }
    showInTaskbar_ = show;
}

void SkinnableWindow::OnTaskbarButtonCreated() {
    // Explorer recreates every button when it restarts.
    if (taskbarList_ && !showInTaskbar_) taskbarList_->DeleteTab(mainWindow_);
}

void SkinnableWindow::Invalidate(const RECT* rect) {
    InvalidateRect(mainWindow_, rect, FALSE);
    PostMessageW(mainWindow_, WindowPaintMessage(), 0, 0);
}

void SkinnableWindow::Relayout(const RECT* rect) {
    if (!rect) {
        GetWindowRect(mainWindow_, &windowRect_);
    } else if (rect != &windowRect_) {
        windowRect_ = *rect;
        SetWindowPos(mainWindow_, nullptr, rect->left, rect->top, rect->right - rect->left,
                     rect->bottom - rect->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    shape_.reset(CreateShape(marginLeft_, marginTop_, marginRight_, marginBottom_));
    fullRedraw_ = true;
    Invalidate(nullptr);
}

void SkinnableWindow::Show(int command) { ShowWindow(mainWindow_, command); }

int SkinnableWindow::RunMessageLoop() {
    // A window made not to take activation (a toast) must not take the
    // keyboard from the window the user is typing in either.
    const bool noActivate = (GetWindowLongPtrW(mainWindow_, GWL_EXSTYLE) & WS_EX_NOACTIVATE) != 0;
    ShowWindow(mainWindow_, noActivate ? SW_SHOWNA : SW_SHOW);
    Relayout(nullptr);
    MSG message;
    BOOL result;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (result == -1) break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(result);
}

LRESULT SkinnableWindow::HitTest(POINT client) const {
    if (shape_ && !PtInRegion(shape_.get(), client.x, client.y)) return HTTRANSPARENT;
    RECT area{};
    GetClientRect(mainWindow_, &area);
    const int width = area.right, height = area.bottom;
    const int x = client.x, y = client.y, edges = resizeEdges_, band = Scale(kSizingBand);
    const bool nearLeft = x < marginLeft_ + band;
    const bool nearRight = x > width - marginRight_ - band;
    const bool nearTop = y < marginTop_ + band;
    const bool nearBottom = y > height - marginBottom_ - band;
    if ((edges & kResizeTopLeft) && nearLeft && nearTop) return HTTOPLEFT;
    if ((edges & kResizeTopRight) && nearRight && nearTop) return HTTOPRIGHT;
    if ((edges & kResizeBottomLeft) && nearLeft && nearBottom) return HTBOTTOMLEFT;
    if ((edges & kResizeBottomRight) && nearRight && nearBottom) return HTBOTTOMRIGHT;
    if ((edges & kResizeTop) && nearTop) return HTTOP;
    if ((edges & kResizeRight) && nearRight) return HTRIGHT;
    if ((edges & kResizeBottom) && nearBottom) return HTBOTTOM;
    if ((edges & kResizeLeft) && nearLeft) return HTLEFT;
    return HTCAPTION;  // the rest of the shape drags the window
}

std::uint32_t SkinnableWindow::BackBufferPixel(int x, int y) const {
    const int width = backSize_.cx, height = backSize_.cy;
    if (!backBits_ || x < 0 || y < 0 || x >= width || y >= height) return 0;
    return backBits_[(height - 1 - y) * width + x];
}

bool SkinnableWindow::RecreateBackBuffer(int width, int height) {
    FreeBackBuffer();
    if (width <= 0 || height <= 0) return false;
    backDc_.reset(CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    backBitmap_.reset(CreateArgbBitmap(backDc_.get(), width, height, &bits));
    if (!backBitmap_ || !bits) {
        FreeBackBuffer();
        return false;
    }
    backOldBitmap_ = SelectObject(backDc_.get(), backBitmap_.get());
    backBits_ = static_cast<std::uint32_t*>(bits);
    backSize_ = SIZE{width, height};
    return true;
}

void SkinnableWindow::FreeBackBuffer() {
    if (backDc_ && backOldBitmap_) SelectObject(backDc_.get(), backOldBitmap_);
    backBitmap_.reset();
    backDc_.reset();
    backOldBitmap_ = nullptr;
    backBits_ = nullptr;
    backSize_ = SIZE{0, 0};
}

void SkinnableWindow::DrawTiles(HDC target, int width, int height) const {
    ScopedMemoryDC sourceDc(CreateCompatibleDC(target));
    HDC source = sourceDc.get();
    const BLENDFUNCTION blend = SourceAlpha();
    int x = 0, y = 0, column = 0, row = 0;
    for (const auto& tile : tiles_) {
        if (column == columns_) {
            column = 0;
            ++row;
            x = 0;
        }
        const bool lastColumn = column + 1 == columns_;
        ScopedSelect selected(source, tile->bitmap.get());
        if (tile->width < 0) {
            const int step = -tile->width;
            const auto fixed = rowWidths_.find(row);
            const int count =
                std::max(0, (width - (fixed == rowWidths_.end() ? 0 : fixed->second)) / step);
            for (int i = 0; i < count; ++i) {
                AlphaBlend(target, x + i * step, y, step, tile->height, source, 0, 0, step,
                           tile->height, blend);
            }
            x += count * step;
            if (lastColumn) y += tile->height;
        } else if (tile->height < 0) {
            const int step = -tile->height;
            const auto fixed = columnHeights_.find(column);
            const int count =
                std::max(0, (height - (fixed == columnHeights_.end() ? 0 : fixed->second)) / step);
            for (int i = 0; i < count; ++i) {
                AlphaBlend(target, x, y + i * step, tile->width, step, source, 0, 0, tile->width,
                           step, blend);
            }
            x += tile->width;
            if (lastColumn) y += count * step;
        } else {
            AlphaBlend(target, x, y, tile->width, tile->height, source, 0, 0, tile->width,
                       tile->height, blend);
            x += tile->width;
            if (lastColumn) y += tile->height;
        }
        ++column;
    }
}

void SkinnableWindow::PushLayered(HWND target, HDC source, int width, int height,
                                  const RECT* dirty) const {
    ScopedWindowDC screenDc(nullptr);
    HDC screen = screenDc.get();
    POINT destination{windowRect_.left, windowRect_.top};
    SIZE size{width, height};
    POINT origin{0, 0};
    BLENDFUNCTION blend = SourceAlpha();
    // Naming the changed part lets the system copy only that much of the
    // picture; where the call is missing (before Vista) the whole is pushed.
    using UpdateIndirect = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);
    static const auto updateIndirect = LibraryFunction<UpdateIndirect>(User32(), "UpdateLayeredWindowIndirect");
    bool pushed = false;
    if (dirty && updateIndirect) {
        UPDATELAYEREDWINDOWINFO info{};
        info.cbSize = sizeof info;
        info.hdcDst = screen;
        info.pptDst = &destination;
        info.psize = &size;
        info.hdcSrc = source;
        info.pptSrc = &origin;
        info.pblend = &blend;
        info.dwFlags = ULW_ALPHA;
        info.prcDirty = dirty;
        pushed = updateIndirect(target, &info) != FALSE;
    }
    if (!pushed) {
        UpdateLayeredWindow(target, screen, &destination, &size, source, &origin, 0, &blend,
                            ULW_ALPHA);
    }
}

void SkinnableWindow::PushOuterPicture(int width, int height) {
    ScopedMemoryDC dc(CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    ScopedBitmap picture(CreateArgbBitmap(dc.get(), width, height, &bits));
    if (!picture) return;
    ScopedSelect selected(dc.get(), picture.get());
    ScopedRegion outside(CreateRectRgn(0, 0, width, height));
    if (shape_) CombineRgn(outside.get(), outside.get(), shape_.get(), RGN_DIFF);
    SelectClipRgn(dc.get(), outside.get());
    DrawTiles(dc.get(), width, height);
    PushLayered(outerWindow_, dc.get(), width, height);
}

void SkinnableWindow::PaintNow() {
    RECT update{};
    if (!GetUpdateRect(mainWindow_, &update, FALSE)) return;
    ValidateRect(mainWindow_, &update);

    const int width = windowRect_.right - windowRect_.left;
    const int height = windowRect_.bottom - windowRect_.top;
    bool recreated = false;
    if (!backDc_ || fullRedraw_) {
        recreated = true;
        if (!RecreateBackBuffer(width, height)) return;
    }
    if (fullRedraw_) {
        update = RECT{0, 0, width, height};
        fullRedraw_ = false;
    }

    HDC back = backDc_.get();
    ScopedRegion clip(CreateRectRgnIndirect(&update));
    if (shape_) CombineRgn(clip.get(), clip.get(), shape_.get(), RGN_AND);
    SelectClipRgn(back, clip.get());
    // The buffer is reused between paints: only what is redrawn is cleared.
    if (!recreated) ClearArgbRect(backBits_, width, height, update);

    DrawTiles(back, width, height);
    for (const auto& painter : painters_) painter->Paint(back, update);

    if (recreated) PushOuterPicture(width, height);
    // A recreated buffer is new everywhere; otherwise only the update changed.
    const RECT* dirty = recreated ? nullptr : &update;
    if (hiddenOwner_ && WindowsVersion() > 5.1) {
        PushLayered(hiddenOwner_, back, width, height, dirty);
    }
    PushLayered(mainWindow_, back, width, height, dirty);
}

LRESULT SkinnableWindow::OnSizing(RECT* proposed) {
    BOOL fullWindowDrag = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &fullWindowDrag, 0);
    if (proposed->right - proposed->left < minimumWidth_) {
        proposed->right = proposed->left + minimumWidth_;
    }
    if (proposed->bottom - proposed->top < minimumHeight_) {
        proposed->bottom = proposed->top + minimumHeight_;
    }
    // Only a change of height lays the window out again during the drag.
    if (fullWindowDrag &&
        proposed->bottom - proposed->top != windowRect_.bottom - windowRect_.top) {
        Relayout(proposed);
        ApplyBlur(true);
    }
    return TRUE;
}

LRESULT CALLBACK SkinnableWindow::ClassWindowProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    SkinnableWindow* self = FindSkinnableWindow(window);
    if (message == WindowTaskMessage()) {
        // Work posted from other threads; dropped unrun once the window is
        // being torn down.
        if (self) {
            RunPostedTask(window, wParam, lParam);
        } else {
            DiscardPostedTask(window, wParam, lParam);
        }
        return 0;
    }
    if (!self) {  // during creation, and the hidden owner
        if (message == WM_ERASEBKGND) return 1;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(window, message, wParam, lParam);
}

LRESULT SkinnableWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto handler = handlers_.find(message);
    if (handler != handlers_.end() && handler->second) {
        LRESULT result = 0;
        if (handler->second(window, message, wParam, lParam, &result)) return result;
    }
    if (window != mainWindow_) {
        // The outer window only shows the picture pushed to it.
        if (message == WM_ERASEBKGND) return 1;
        if (message == WM_NCHITTEST) return HTTRANSPARENT;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return DefaultHandling(window, message, wParam, lParam);
}

LRESULT SkinnableWindow::DefaultHandling(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
    if (message == TaskbarButtonMessage()) OnTaskbarButtonCreated();
    if (message == WindowPaintMessage()) {
        PaintNow();
        return 0;
    }
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SHOWWINDOW:
        // Never activated: it is click-through.
        ShowWindow(outerWindow_, wParam ? SW_SHOWNA : SW_HIDE);
        break;
    case WM_NCHITTEST: {
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(mainWindow_, &point);
        return HitTest(point);
    }
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_RESTORE) {
            ShowWindow(outerWindow_, SW_SHOWNA);
            Relayout(&windowRect_);
        }
        break;
    case WM_SIZING:
        return OnSizing(reinterpret_cast<RECT*>(lParam));
    case WM_MOVING:
        windowRect_ = *reinterpret_cast<RECT*>(lParam);
        return 0;
    case WM_ENTERSIZEMOVE:
        // The shape covers the whole window while it moves.
        savedLeft_ = marginLeft_;
        savedTop_ = marginTop_;
        savedRight_ = marginRight_;
        savedBottom_ = marginBottom_;
        sizeMoving_ = true;
        ScaleMargins();
        Relayout(nullptr);
        return 0;
    case WM_EXITSIZEMOVE:
        sizeMoving_ = false;
        ScaleMargins();
        Relayout(nullptr);
        ApplyBlur(false);
        return 0;
    case WM_DPICHANGED: {
        RECT suggested{};
        ApplyScale(LOWORD(wParam), SuggestedRectOf(lParam, &suggested) ? &suggested : nullptr);
        return 0;
    }
    case WM_DWMCOMPOSITIONCHANGED:
        ApplyBlur(false);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
