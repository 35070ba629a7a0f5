#include "platform/X11ScreenPresenter.h"

#include "platform/X11FrameCounter.h"

#include <QGuiApplication>
#include <QImage>
#include <QSysInfo>
#include <QWidget>
#include <qpa/qplatformnativeinterface.h>

#include <xcb/present.h>
#include <xcb/sync.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kMaxPending = 64;
// A property's stamp names a whole millisecond and stands for its middle.
constexpr std::int64_t kHalfStampUs = 500;
constexpr std::uint8_t kPictureDepth = 24;

int defaultScreenNumber()
{
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    return native ? static_cast<int>(reinterpret_cast<std::intptr_t>(native->nativeResourceForIntegration("x11screen")))
                  : 0;
}

// The pictures are sent as Qt's RGB32 bytes: that must be the screen's own 24-bit format.
bool screenTakesQtsPixels(xcb_connection_t* connection, int screenNumber)
{
    if (QSysInfo::ByteOrder != QSysInfo::LittleEndian)
        return false;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    bool packed = false;
    for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem; xcb_format_next(&format))
        if (format.data->depth == kPictureDepth)
            packed = format.data->bits_per_pixel == 32;
    if (!packed)
        return false;
    auto screen = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screen.rem; ++i)
        xcb_screen_next(&screen);
    if (!screen.rem || screen.data->root_depth != kPictureDepth)
        return false;
    for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem; xcb_depth_next(&depth)) {
        if (depth.data->depth != kPictureDepth)
            continue;
        for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem; xcb_visualtype_next(&visual))
            if (visual.data->visual_id == screen.data->root_visual)
                return visual.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && visual.data->red_mask == 0xFF0000
                       && visual.data->green_mask == 0x00FF00 && visual.data->blue_mask == 0x0000FF;
    }
    return false;
}

std::uint32_t atomReply(xcb_connection_t* connection, xcb_intern_atom_cookie_t cookie)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const std::uint32_t atom = reply->atom;
    std::free(reply);
    return atom;
}

xcb_intern_atom_cookie_t internAtom(xcb_connection_t* connection, const std::string& name)
{
    return xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
}

// The extension's major opcode, or 0 where the server does not have it.
std::uint8_t presentOpcode(xcb_connection_t* connection)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_present_id);
    if (!extension || !extension->present)
        return 0;
    xcb_present_query_version_reply_t* version =
        xcb_present_query_version_reply(connection, xcb_present_query_version(connection, 1, 0), nullptr);
    if (!version)
        return 0;
    std::free(version);
    return extension->major_opcode;
}

std::uint64_t low32High32(std::uint32_t low, std::uint32_t high)
{
    return std::uint64_t{high} << 32 | low;
}

} // namespace

std::unique_ptr<X11ScreenPresenter> X11ScreenPresenter::createFor(QWidget& widget, EventClock& times, PresentUse use)
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return nullptr;
    const int screen = defaultScreenNumber();
    // Asked together: one wait for all the answers.
    const auto stampCookie = internAtom(connection, "_ZUMIKKO_PICTURE_SHOWN");
    const auto compositorCookie = internAtom(connection, "_NET_WM_CM_S" + std::to_string(screen));
    const auto countersCookie = internAtom(connection, "_NET_WM_SYNC_REQUEST_COUNTER");
    const auto drawnCookie = internAtom(connection, "_NET_WM_FRAME_DRAWN");
    const auto timingsCookie = internAtom(connection, "_NET_WM_FRAME_TIMINGS");
    const auto protocolsCookie = internAtom(connection, "WM_PROTOCOLS");
    const auto syncRequestCookie = internAtom(connection, "_NET_WM_SYNC_REQUEST");
    xcb_prefetch_extension_data(connection, &xcb_present_id);
    // Sync carries the frames a compositing manager reports; Qt asked for it already.
    xcb_prefetch_extension_data(connection, &xcb_sync_id);
    const xcb_query_extension_reply_t* sync = xcb_get_extension_data(connection, &xcb_sync_id);
    const bool hasSync = sync && sync->present;
    const Atoms atoms{atomReply(connection, stampCookie),    atomReply(connection, compositorCookie),
                      atomReply(connection, countersCookie), atomReply(connection, drawnCookie),
                      atomReply(connection, timingsCookie),  atomReply(connection, protocolsCookie),
                      atomReply(connection, syncRequestCookie)};
    if (atoms.stamp == XCB_ATOM_NONE)
        return nullptr;
    const std::uint8_t opcode = use == PresentUse::WhereOffered && atoms.compositor != XCB_ATOM_NONE
                                        && screenTakesQtsPixels(connection, screen)
                                    ? presentOpcode(connection)
                                    : 0;
    return std::unique_ptr<X11ScreenPresenter>(
        new X11ScreenPresenter(widget, times, connection, atoms, opcode, hasSync));
}

X11ScreenPresenter::X11ScreenPresenter(QWidget& widget, EventClock& times, xcb_connection_t* connection,
                                       Atoms atoms, std::uint8_t presentOpcode, bool frameCounters)
    : widget_(widget), times_(times), connection_(connection), atoms_(atoms), presentOpcode_(presentOpcode),
      frameCounters_(frameCounters), hold_(widget)
{
    timeout_.setSingleShot(true);
    timeout_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timeout_, &QTimer::timeout, [this] { settleOverdue(); });
    qGuiApp->installNativeEventFilter(this);
}

X11ScreenPresenter::~X11ScreenPresenter()
{
    if (qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

std::optional<std::int64_t> X11ScreenPresenter::present(Stamped stamped)
{
    // The widget must paint this picture itself; an earlier picture still awaited lands first.
    hold_.release();
    const std::int64_t drawnAt = times_.clock().nowMicroseconds();
    Pending pending{nextId_++, std::move(stamped), drawnAt, 0, 0, false, false, {}, {}, 0, {}, 0, false, false, {}};
    if (usesPresent() && presentPicture(pending)) {
        pending.throughPresent = true;
        // Qt would put the same picture into the window before the vertical blank.
        hold_.hold();
    } else {
        widget_.repaint();
        // The server runs one client's requests in order: this change is stamped once it has
        // drawn the picture that repaint() just sent.
        sendStamp(pending.id);
    }
    xcb_flush(connection_);
    pending.flushedAtUs = times_.clock().nowMicroseconds();
    pending.deadlineUs = pending.flushedAtUs + std::int64_t{1000} * (pending.throughPresent ? kCompletionTimeoutMs
                                                                                           : kStampTimeoutMs);
    while (pending_.size() >= kMaxPending) {
        abandonFrame(pending_.front());
        compositedAt(pending_.front());
        discardCountersQuery(pending_.front());
        frames_.forget(pending_.front().id);
        pending_.pop_front();
    }
    pending_.push_back(std::move(pending));
    releaseHoldUnlessAwaited();
    armTimeout();
    return std::nullopt;
}

bool X11ScreenPresenter::presentPicture(Pending& pending)
{
    QWidget* top = widget_.window();
    const auto window = static_cast<xcb_window_t>(top->winId());
    const qreal ratio = widget_.devicePixelRatioF();
    // The widget paints itself as it would into Qt's backing store.
    QImage picture(widget_.size() * ratio, QImage::Format_RGB32);
    if (picture.isNull())
        return false;
    picture.setDevicePixelRatio(ratio);
    widget_.render(&picture);
    const std::uint64_t bytes = static_cast<std::uint64_t>(picture.sizeInBytes());
    if (bytes + 24 > std::uint64_t{xcb_get_maximum_request_length(connection_)} * 4)
        return false;
    const QPoint at = widget_.mapTo(top, QPoint(0, 0));
    if (window != presentWindow_) {
        presentEvents_ = xcb_generate_id(connection_);
        xcb_present_select_input(connection_, presentEvents_, window, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
        presentWindow_ = window;
    }
    pending.compositorQuery = xcb_get_selection_owner(connection_, atoms_.compositor).sequence;
    // Only a window of fixed size: the window manager never resizes it, so hardly ever asks it
    // to sync; and only once a compositing manager was seen, so that without one nothing changes.
    if (frameCounters_ && compositorSeen_ && !counter_ && top->minimumSize() == top->maximumSize())
        pending.countersQuery =
            xcb_get_property(connection_, 0, window, atoms_.counters, XCB_ATOM_CARDINAL, 0, 2).sequence;
    const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
    const auto width = static_cast<std::uint16_t>(picture.width());
    const auto height = static_cast<std::uint16_t>(picture.height());
    xcb_create_pixmap(connection_, kPictureDepth, pixmap, window, width, height);
    const xcb_gcontext_t gc = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc, pixmap, 0, nullptr);
    xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, width, height, 0, 0, 0, kPictureDepth,
                  static_cast<std::uint32_t>(bytes), picture.constBits());
    xcb_free_gc(connection_, gc);
    // Stamped once the server has the whole picture and before it can have shown any of it.
    sendStamp(pending.id);
    // The compositor draws nothing of the window until the frame is ended, which happens when
    // the picture is in the window: the frame it then reports is the first to show the picture.
    if (counter_ && counter_->window() == window && !counter_->open()) {
        counter_->begin();
        pending.inFrame = true;
    }
    xcb_present_pixmap(connection_, window, pixmap, pending.id, XCB_NONE, XCB_NONE,
                       static_cast<std::int16_t>(qRound(at.x() * ratio)), static_cast<std::int16_t>(qRound(at.y() * ratio)),
                       XCB_NONE, XCB_NONE, XCB_NONE, XCB_PRESENT_OPTION_COPY, 0, 0, 0, 0, nullptr);
    // The server keeps the pixmap until it has been presented.
    xcb_free_pixmap(connection_, pixmap);
    return true;
}

void X11ScreenPresenter::sendStamp(std::uint32_t id)
{
    xcb_change_property(connection_, XCB_PROP_MODE_APPEND, static_cast<xcb_window_t>(widget_.window()->winId()),
                        atoms_.stamp, XCB_ATOM_INTEGER, 32, 0, nullptr);
    stamps_.push_back(id);
}

bool X11ScreenPresenter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7F;
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (notify->atom == atoms_.stamp && !stamps_.empty())
            stampAnswered(notify->time);
        return false;
    }
    if (type == XCB_CLIENT_MESSAGE)
        return clientMessage(*reinterpret_cast<const xcb_client_message_event_t*>(event));
    if (type != XCB_GE_GENERIC || presentOpcode_ == 0)
        return false;
    const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
    if (generic->extension != presentOpcode_ || generic->event_type != XCB_PRESENT_COMPLETE_NOTIFY)
        return false;
    const auto* complete = reinterpret_cast<const xcb_present_complete_notify_event_t*>(event);
    if (complete->event != presentEvents_ || complete->kind != XCB_PRESENT_COMPLETE_KIND_PIXMAP)
        return false;
    completed(complete->serial, complete->mode, complete->ust);
    return true;
}

void X11ScreenPresenter::stampAnswered(std::int64_t stampMs)
{
    const std::uint32_t id = stamps_.front();
    stamps_.pop_front();
    Pending* pending = find(id);
    // An answer to a stamp sent before the picture was painted again the plain way is not its.
    if (!pending || pending->stampAnswered || std::count(stamps_.begin(), stamps_.end(), id) > 0)
        return;
    pending->stampAnswered = true;
    pending->serverHadItAtUs = times_.pictureMoment(static_cast<std::uint64_t>(stampMs), pending->drawnAtUs);
    settleIfAnswered(id);
}

void X11ScreenPresenter::completed(std::uint32_t serial, std::uint8_t mode, std::uint64_t ustUs)
{
    Pending* pending = find(serial);
    if (!pending || !pending->throughPresent)
        return;
    if (mode == XCB_PRESENT_COMPLETE_MODE_SKIP) {
        // The server dropped the picture: it never reached the window.
        paintThePlainWay(*pending);
        return;
    }
    pending->ustUs = ustUs;
    endFrame(*pending);
    settleIfAnswered(serial);
}

void X11ScreenPresenter::endFrame(Pending& pending)
{
    const bool composited = compositedAt(pending);
    if (composited && !counter_)
        installCounter(pending);
    if (!pending.inFrame)
        return;
    pending.inFrame = false;
    const std::uint64_t ended = counter_->end();
    xcb_flush(connection_);
    const std::optional<std::int64_t> completedAt = times_.serverMicrosecondMoment(*pending.ustUs);
    if (!composited || !completedAt)
        return;
    frames_.ended(pending.id, ended, *completedAt);
    pending.awaitingTimings = true;
    pending.deadlineUs = times_.clock().nowMicroseconds() + std::int64_t{1000} * kFrameTimingsTimeoutMs;
    armTimeout();
}

void X11ScreenPresenter::abandonFrame(Pending& pending)
{
    if (!pending.inFrame)
        return;
    pending.inFrame = false;
    counter_->end();
    xcb_flush(connection_);
}

void X11ScreenPresenter::installCounter(Pending& pending)
{
    if (pending.countersQuery == 0)
        return;
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    // Answered before the completion that came already: no wait.
    if (xcb_poll_for_reply(connection_, pending.countersQuery, &reply, &error) && reply)
        counter_ = X11FrameCounter::install(connection_, presentWindow_, atoms_.counters,
                                            *static_cast<xcb_get_property_reply_t*>(reply));
    xcb_flush(connection_);
    pending.countersQuery = 0;
    std::free(reply);
    std::free(error);
}

void X11ScreenPresenter::discardCountersQuery(Pending& pending)
{
    if (pending.countersQuery != 0)
        xcb_discard_reply(connection_, pending.countersQuery);
    pending.countersQuery = 0;
}

bool X11ScreenPresenter::clientMessage(const xcb_client_message_event_t& message)
{
    if (!counter_ || message.window != counter_->window() || message.format != 32)
        return false;
    const std::uint32_t* l = message.data.data32;
    if (message.type == atoms_.protocols && l[0] == atoms_.syncRequest && l[4] != 0) {
        if (counter_->answer(low32High32(l[2], l[3])))
            for (Pending& pending : pending_)
                pending.inFrame = false;
        xcb_flush(connection_);
        // Qt answers on its own counter, which the window manager may use as well.
        return false;
    }
    const std::int64_t now = times_.clock().nowMicroseconds();
    if (message.type == atoms_.frameDrawn) {
        frames_.drawn(low32High32(l[0], l[1]), static_cast<std::int64_t>(low32High32(l[2], l[3])), now);
        return true;
    }
    if (message.type == atoms_.frameTimings) {
        if (const auto verdict = frames_.timings(low32High32(l[0], l[1]), static_cast<std::int32_t>(l[2]), now))
            timingsCame(*verdict);
        return true;
    }
    return false;
}

void X11ScreenPresenter::timingsCame(const CompositorFrameTimes::Verdict& verdict)
{
    Pending* pending = find(verdict.stop);
    if (!pending || !pending->awaitingTimings)
        return;
    pending->awaitingTimings = false;
    pending->presentedAtUs = verdict.presentedAtUs;
    settleIfAnswered(verdict.stop);
}

void X11ScreenPresenter::settleIfAnswered(std::uint32_t id)
{
    Pending* pending = find(id);
    if (!pending || !pending->stampAnswered || (pending->throughPresent && !pending->ustUs))
        return;
    if (pending->serverHadItAtUs && pending->ustUs) {
        const std::optional<std::int64_t> completedAt = times_.serverMicrosecondMoment(*pending->ustUs);
        // Never before the server had the picture.
        if (completedAt && *completedAt >= *pending->serverHadItAtUs - kHalfStampUs) {
            // The compositor's report, or its timeout, settles it.
            if (pending->awaitingTimings)
                return;
            if (pending->presentedAtUs)
                settle(id, Source::Presentation, *pending->presentedAtUs);
            else
                settle(id, Source::Completion, *completedAt);
            return;
        }
    }
    if (pending->serverHadItAtUs)
        settle(id, Source::ServerStamp, *pending->serverHadItAtUs);
    else
        settle(id, Source::Flush, pending->flushedAtUs);
}

void X11ScreenPresenter::paintThePlainWay(Pending& pending)
{
    abandonFrame(pending);
    pending.throughPresent = false;
    pending.ustUs.reset();
    pending.stampAnswered = false;
    pending.serverHadItAtUs.reset();
    hold_.release();
    pending.drawnAtUs = times_.clock().nowMicroseconds();
    widget_.repaint();
    sendStamp(pending.id);
    xcb_flush(connection_);
    pending.flushedAtUs = times_.clock().nowMicroseconds();
    pending.deadlineUs = pending.flushedAtUs + std::int64_t{1000} * kStampTimeoutMs;
    const auto awaited = std::any_of(pending_.begin(), pending_.end(), [](const Pending& p) { return p.throughPresent; });
    if (awaited)
        hold_.hold();
    armTimeout();
}

void X11ScreenPresenter::settle(std::uint32_t id, Source source, std::int64_t shownAtUs)
{
    const auto found = std::find_if(pending_.begin(), pending_.end(), [id](const Pending& p) { return p.id == id; });
    if (found == pending_.end())
        return;
    Pending settled = std::move(*found);
    pending_.erase(found);
    abandonFrame(settled);
    discardCountersQuery(settled);
    frames_.forget(id);
    Outcome outcome{source, shownAtUs, settled.serverHadItAtUs, {}, compositedAt(settled)};
    if (source == Source::Completion)
        outcome.completedAtUs = shownAtUs;
    if (source == Source::Presentation && settled.ustUs)
        outcome.completedAtUs = times_.serverMicrosecondMoment(*settled.ustUs);
    switch (source) {
    case Source::Presentation:
        ++tally_.presentations;
        break;
    case Source::Completion:
        ++tally_.completions;
        tally_.composited += outcome.composited ? 1 : 0;
        break;
    case Source::ServerStamp:
        ++tally_.serverStampFallbacks;
        break;
    case Source::Flush:
        ++tally_.flushFallbacks;
        break;
    }
    releaseHoldUnlessAwaited();
    armTimeout();
    if (observer_)
        observer_(outcome);
    if (settled.stamped)
        settled.stamped(shownAtUs);
}

bool X11ScreenPresenter::compositedAt(Pending& pending)
{
    if (pending.composited)
        return *pending.composited;
    if (pending.compositorQuery == 0)
        return false;
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    // Answered before the stamp that came back already: no wait.
    if (!xcb_poll_for_reply(connection_, pending.compositorQuery, &reply, &error)) {
        xcb_discard_reply(connection_, pending.compositorQuery);
        pending.composited = false;
        return false;
    }
    const bool owned = reply && static_cast<xcb_get_selection_owner_reply_t*>(reply)->owner != XCB_NONE;
    std::free(reply);
    std::free(error);
    pending.composited = owned;
    compositorSeen_ = compositorSeen_ || owned;
    return owned;
}

void X11ScreenPresenter::settleOverdue()
{
    const std::int64_t now = times_.clock().nowMicroseconds();
    std::deque<std::uint32_t> overdue;
    for (const Pending& pending : pending_)
        if (pending.deadlineUs <= now)
            overdue.push_back(pending.id);
    for (const std::uint32_t id : overdue) {
        Pending* pending = find(id);
        if (!pending)
            continue;
        if (pending->awaitingTimings) {
            pending->awaitingTimings = false;
            settleIfAnswered(id);
        } else if (pending->throughPresent && !pending->ustUs)
            paintThePlainWay(*pending);
        else
            settle(id, Source::Flush, pending->flushedAtUs);
    }
    armTimeout();
}

void X11ScreenPresenter::armTimeout()
{
    if (pending_.empty()) {
        timeout_.stop();
        return;
    }
    const auto first = std::min_element(pending_.begin(), pending_.end(),
                                        [](const Pending& a, const Pending& b) { return a.deadlineUs < b.deadlineUs; });
    const std::int64_t leftUs = first->deadlineUs - times_.clock().nowMicroseconds();
    timeout_.start(static_cast<int>(std::max<std::int64_t>(0, (leftUs + 999) / 1000)));
}

void X11ScreenPresenter::releaseHoldUnlessAwaited()
{
    if (std::none_of(pending_.begin(), pending_.end(), [](const Pending& p) { return p.throughPresent; }))
        hold_.release();
}

X11ScreenPresenter::Pending* X11ScreenPresenter::find(std::uint32_t id)
{
    const auto found = std::find_if(pending_.begin(), pending_.end(), [id](const Pending& p) { return p.id == id; });
    return found == pending_.end() ? nullptr : &*found;
}
