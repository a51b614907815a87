#include "core/platform/xcb_desktop_windows.h"

#include <xcb/res.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace core {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

// What the property requests ask for, in 32-bit units: more than the list ever shows.
constexpr std::uint32_t kTextLongs = 256;
// How far below a top-level window a frame's client may lie.
constexpr int kFrameDepth = 4;
// Client id specs per XRes request, well inside the smallest request size a server takes.
constexpr std::size_t kSpecsPerRequest = 4096;

std::string latin1ToUtf8(std::string_view text)
{
    std::string utf8;
    utf8.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return utf8;
}

std::string_view propertyBytes(const xcb_get_property_reply_t& reply)
{
    return {static_cast<const char*>(xcb_get_property_value(&reply)),
            static_cast<std::size_t>(xcb_get_property_value_length(&reply))};
}

// A window being looked at: the top-level, the window found to stand for it, and what it is.
struct Entry {
    xcb_window_t topLevel = XCB_NONE;
    xcb_window_t shown = XCB_NONE;
    bool gone = false;
    std::vector<xcb_window_t> frontier; // the level of the top-level's subtree searched next
    TopLevelWindow window;
};

class XcbDesktopWindows final : public DesktopWindows {
public:
    XcbDesktopWindows(xcb_connection_t* connection, xcb_window_t root, std::function<void()> treeRead)
        : m_connection(connection)
        , m_root(root)
        , m_resourceIdMask(xcb_get_setup(connection)->resource_id_mask)
        , m_treeRead(std::move(treeRead))
    {
        xcb_prefetch_extension_data(m_connection, &xcb_res_id);
        const char* names[] = {"WM_STATE", "_NET_WM_NAME", "UTF8_STRING"};
        xcb_intern_atom_cookie_t cookies[std::size(names)];
        for (std::size_t i = 0; i < std::size(names); ++i)
            cookies[i] = xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(names[i])), names[i]);
        xcb_atom_t* atoms[] = {&m_wmState, &m_netWmName, &m_utf8String};
        for (std::size_t i = 0; i < std::size(names); ++i) {
            const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookies[i], nullptr));
            *atoms[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        }
        // Client ids need version 1.2 of the resource extension.
        const xcb_query_extension_reply_t* res = xcb_get_extension_data(m_connection, &xcb_res_id);
        if (res && res->present) {
            const Reply<xcb_res_query_version_reply_t> version(
                xcb_res_query_version_reply(m_connection, xcb_res_query_version(m_connection, 1, 2), nullptr));
            m_clientIds = version && (version->server_major > 1 || (version->server_major == 1 && version->server_minor >= 2));
        }
    }

    ~XcbDesktopWindows() override { xcb_disconnect(m_connection); }

    XcbDesktopWindows(const XcbDesktopWindows&) = delete;
    XcbDesktopWindows& operator=(const XcbDesktopWindows&) = delete;

    // Every request of a round is sent before the first reply is read, so a refill costs a few
    // round trips whatever the number of windows.
    std::vector<TopLevelWindow> topLevelWindows() override
    {
        if (xcb_connection_has_error(m_connection))
            return {};
        const Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
        if (!tree)
            return {};
        std::vector<Entry> entries;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
            entries.push_back({children[i], XCB_NONE, false, {children[i]}, {}});
        if (m_treeRead)
            m_treeRead();

        findClients(entries);
        readTexts(entries);
        if (m_clientIds)
            readClientIds(entries);

        std::vector<TopLevelWindow> windows;
        windows.reserve(entries.size());
        for (Entry& entry : entries) {
            if (!entry.gone)
                windows.push_back(std::move(entry.window));
        }
        return windows;
    }

private:
    xcb_get_property_cookie_t property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type, std::uint32_t longs)
    {
        return xcb_get_property(m_connection, 0, window, name, type, 0, longs);
    }

    // A property's reply; null when the window is gone (or the connection broke).
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_cookie_t cookie)
    {
        xcb_generic_error_t* error = nullptr;
        Reply<xcb_get_property_reply_t> answer(xcb_get_property_reply(m_connection, cookie, &error));
        std::free(error);
        return answer;
    }

    // A window manager puts each client into a frame of its own; the client is the window in the
    // frame that carries WM_STATE. Searched level by level below every top-level at once; a
    // top-level without such a window stands for itself.
    void findClients(std::vector<Entry>& entries)
    {
        for (int depth = 0; depth <= kFrameDepth; ++depth) {
            struct Asked {
                Entry* entry;
                xcb_window_t window;
                xcb_get_property_cookie_t state;
                xcb_query_tree_cookie_t tree;
            };
            std::vector<Asked> asked;
            for (Entry& entry : entries) {
                for (const xcb_window_t window : entry.frontier)
                    asked.push_back({&entry, window, property(window, m_wmState, XCB_ATOM_ANY, 0),
                                     xcb_query_tree(m_connection, window)});
                entry.frontier.clear();
            }
            if (asked.empty())
                break;
            for (const Asked& a : asked) {
                const auto state = reply(a.state);
                xcb_generic_error_t* error = nullptr;
                const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(m_connection, a.tree, &error));
                std::free(error);
                Entry& entry = *a.entry;
                if (entry.shown != XCB_NONE || entry.gone)
                    continue;
                if (!state) {
                    // A top-level that went away is left out; a window below it that did is passed over.
                    entry.gone = depth == 0;
                    continue;
                }
                if (state->type != XCB_ATOM_NONE) {
                    entry.shown = a.window;
                    entry.frontier.clear();
                    continue;
                }
                if (tree && depth < kFrameDepth) {
                    const xcb_window_t* children = xcb_query_tree_children(tree.get());
                    entry.frontier.insert(entry.frontier.end(), children,
                                          children + xcb_query_tree_children_length(tree.get()));
                }
            }
        }
        for (Entry& entry : entries) {
            if (entry.shown == XCB_NONE)
                entry.shown = entry.topLevel;
        }
    }

    // The caption (_NET_WM_NAME in UTF-8, else WM_NAME) and the class part of WM_CLASS.
    void readTexts(std::vector<Entry>& entries)
    {
        struct Asked {
            xcb_get_property_cookie_t netName, name, windowClass;
        };
        std::vector<Asked> asked;
        asked.reserve(entries.size());
        for (const Entry& entry : entries) {
            if (entry.gone)
                continue;
            asked.push_back({property(entry.shown, m_netWmName, m_utf8String, kTextLongs),
                             property(entry.shown, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, kTextLongs),
                             property(entry.shown, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, kTextLongs)});
        }
        auto next = asked.begin();
        for (Entry& entry : entries) {
            if (entry.gone)
                continue;
            const Asked& a = *next++;
            const auto netName = reply(a.netName);
            const auto name = reply(a.name);
            const auto windowClass = reply(a.windowClass);
            if (!netName || !name || !windowClass) {
                entry.gone = true;
                continue;
            }
            if (netName->type == m_utf8String && netName->format == 8)
                entry.window.caption = std::string(propertyBytes(*netName));
            else if (name->format == 8 && name->type == m_utf8String)
                entry.window.caption = std::string(propertyBytes(*name));
            else if (name->format == 8)
                entry.window.caption = latin1ToUtf8(propertyBytes(*name));
            // "instance\0class\0"
            if (windowClass->format == 8) {
                const std::string_view both = propertyBytes(*windowClass);
                const std::size_t split = both.find('\0');
                if (split != std::string_view::npos) {
                    const std::string_view className = both.substr(split + 1);
                    entry.window.className = latin1ToUtf8(className.substr(0, className.find('\0')));
                }
            }
        }
    }

    // The process as the server itself knows it: the resource extension names the pid of a
    // client connected on this host. _NET_WM_PID and WM_CLIENT_MACHINE are never taken: any
    // client, one connected over the network among them, may set them to name an unrelated
    // process here. A window whose client the server cannot name keeps id 0.
    void readClientIds(std::vector<Entry>& entries)
    {
        // A window's id carries the id base of the client that made it.
        std::set<std::uint32_t> clients;
        for (const Entry& entry : entries) {
            if (!entry.gone)
                clients.insert(entry.shown & ~m_resourceIdMask);
        }
        std::vector<xcb_res_client_id_spec_t> specs;
        for (const std::uint32_t client : clients)
            specs.push_back({client, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID});
        std::vector<xcb_res_query_client_ids_cookie_t> cookies;
        for (std::size_t first = 0; first < specs.size(); first += kSpecsPerRequest) {
            const std::size_t count = std::min(kSpecsPerRequest, specs.size() - first);
            cookies.push_back(
                xcb_res_query_client_ids(m_connection, static_cast<std::uint32_t>(count), specs.data() + first));
        }
        std::unordered_map<std::uint32_t, std::uint32_t> pids;
        for (const auto cookie : cookies) {
            xcb_generic_error_t* error = nullptr;
            const Reply<xcb_res_query_client_ids_reply_t> reply(
                xcb_res_query_client_ids_reply(m_connection, cookie, &error));
            std::free(error);
            if (!reply)
                continue;
            for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem; xcb_res_client_id_value_next(&it)) {
                if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0
                    && xcb_res_client_id_value_value_length(it.data) >= 1)
                    pids[it.data->spec.client & ~m_resourceIdMask] = xcb_res_client_id_value_value(it.data)[0];
            }
        }
        for (Entry& entry : entries) {
            if (entry.gone)
                continue;
            if (const auto found = pids.find(entry.shown & ~m_resourceIdMask); found != pids.end())
                entry.window.processId = found->second;
        }
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    std::uint32_t m_resourceIdMask;
    std::function<void()> m_treeRead;
    xcb_atom_t m_wmState = XCB_ATOM_NONE;
    xcb_atom_t m_netWmName = XCB_ATOM_NONE;
    xcb_atom_t m_utf8String = XCB_ATOM_NONE;
    bool m_clientIds = false;
};

} // namespace

std::unique_ptr<DesktopWindows> connectXcbDesktop(const char* display, std::function<void()> treeRead)
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::make_unique<XcbDesktopWindows>(connection, screens.data->root, std::move(treeRead));
}

} // namespace core
