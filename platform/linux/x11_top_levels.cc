#include "platform/linux/x11_top_levels.h"

#include <algorithm>
#include <cstring>

namespace vigilo {
namespace {

// How far below a root child a client window is looked for (window managers
// put it one or two levels down), and how many windows one level may hold,
// so that a program with a huge window tree cannot make the walk slow.
constexpr int kMaxSearchDepth = 4;
constexpr size_t kMaxWindowsPerLevel = 4096;

xcb_query_tree_cookie_t requestChildren(X11Connection& x, xcb_window_t window) {
  return xcb_query_tree(x.get(), window);
}

// The children of a window, topmost first; none when it has gone.
std::vector<xcb_window_t> takeChildren(X11Connection& x, xcb_query_tree_cookie_t cookie) {
  xcb_generic_error_t* error = nullptr;
  XcbReply<xcb_query_tree_reply_t> reply(xcb_query_tree_reply(x.get(), cookie, &error));
  std::free(error);
  if (!reply) return {};
  const xcb_window_t* first = xcb_query_tree_children(reply.get());
  std::vector<xcb_window_t> children(first, first + xcb_query_tree_children_length(reply.get()));
  std::reverse(children.begin(), children.end());  // the server lists them bottom to top
  return children;
}

bool hasWmState(const X11Property& state, const X11Atoms& atoms) {
  return state.type == atoms.wmState && state.format == 32 && state.bytes.size() >= 4;
}

// A root child without WM_STATE, and the windows of its subtree at the level
// being searched for a client.
struct ClientSearch {
  size_t topLevel;
  std::vector<xcb_window_t> level;
};

// Looks below each root child of `searches` for the topmost window that
// carries WM_STATE, level by level, all searches in one batch per level.
void findClients(X11Connection& x, std::vector<ClientSearch> searches,
                 std::vector<X11TopLevel>& topLevels) {
  const X11Atoms& atoms = x.atoms();
  for (int depth = 0; depth < kMaxSearchDepth && !searches.empty(); ++depth) {
    std::vector<std::vector<xcb_query_tree_cookie_t>> treeCookies(searches.size());
    for (size_t s = 0; s < searches.size(); ++s) {
      for (xcb_window_t window : searches[s].level) {
        treeCookies[s].push_back(requestChildren(x, window));
      }
    }
    std::vector<std::vector<xcb_get_property_cookie_t>> stateCookies(searches.size());
    for (size_t s = 0; s < searches.size(); ++s) {
      std::vector<xcb_window_t> next;
      for (const auto& cookie : treeCookies[s]) {
        std::vector<xcb_window_t> children = takeChildren(x, cookie);
        next.insert(next.end(), children.begin(), children.end());
      }
      if (next.size() > kMaxWindowsPerLevel) next.resize(kMaxWindowsPerLevel);
      searches[s].level = std::move(next);
      for (xcb_window_t window : searches[s].level) {
        stateCookies[s].push_back(x.requestProperty(window, atoms.wmState, 8));
      }
    }
    std::vector<ClientSearch> unfinished;
    for (size_t s = 0; s < searches.size(); ++s) {
      xcb_window_t client = XCB_WINDOW_NONE;
      for (size_t i = 0; i < stateCookies[s].size(); ++i) {
        // Every reply is taken, also after a find, so that none is left over.
        const X11Property state = x.takeProperty(stateCookies[s][i]);
        if (client == XCB_WINDOW_NONE && hasWmState(state, atoms)) client = searches[s].level[i];
      }
      if (client != XCB_WINDOW_NONE) {
        topLevels[searches[s].topLevel].client = client;
      } else if (!searches[s].level.empty()) {
        unfinished.push_back(std::move(searches[s]));
      }
    }
    searches = std::move(unfinished);
  }
}

}  // namespace

std::vector<X11TopLevel> listTopLevels(X11Connection& x) {
  const X11Atoms& atoms = x.atoms();
  const std::vector<xcb_window_t> rootChildren = takeChildren(x, requestChildren(x, x.root()));

  std::vector<xcb_get_window_attributes_cookie_t> attributeCookies;
  std::vector<xcb_get_property_cookie_t> stateCookies;
  for (xcb_window_t window : rootChildren) {
    attributeCookies.push_back(xcb_get_window_attributes(x.get(), window));
    stateCookies.push_back(x.requestProperty(window, atoms.wmState, 8));
  }

  std::vector<X11TopLevel> topLevels;
  std::vector<ClientSearch> searches;
  for (size_t i = 0; i < rootChildren.size(); ++i) {
    xcb_generic_error_t* error = nullptr;
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(x.get(), attributeCookies[i], &error));
    std::free(error);
    const X11Property state = x.takeProperty(stateCookies[i]);
    if (!attributes || attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY) continue;
    topLevels.push_back({rootChildren[i], rootChildren[i]});
    if (!hasWmState(state, atoms)) {
      searches.push_back({topLevels.size() - 1, {rootChildren[i]}});
    }
  }
  findClients(x, std::move(searches), topLevels);
  return topLevels;
}

xcb_window_t rootChildHolding(X11Connection& x, xcb_window_t window) {
  while (window != XCB_WINDOW_NONE) {
    xcb_generic_error_t* error = nullptr;
    XcbReply<xcb_query_tree_reply_t> reply(
        xcb_query_tree_reply(x.get(), xcb_query_tree(x.get(), window), &error));
    std::free(error);
    if (!reply) return XCB_WINDOW_NONE;
    if (reply->parent == x.root() || reply->parent == XCB_WINDOW_NONE) return window;
    window = reply->parent;
  }
  return XCB_WINDOW_NONE;
}

}  // namespace vigilo
