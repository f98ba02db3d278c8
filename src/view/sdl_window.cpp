// The window: a thread of its own owns it, and is the only one that calls SDL. It waits
// for window events and, between them, looks for a frame the drawing hooks handed over;
// so the window redraws and answers while the shell waits for a line or an algorithm
// runs, and a drawing point never waits for it. Only the newest frame is kept.
#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#ifdef PVC_HAVE_X11
#include <X11/Xlib.h>
#endif

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "view/frame.h"
#include "view/sdl_render.h"

namespace pvc::view {

namespace {

constexpr int kWindowSide = 640;
constexpr Uint32 kPollMs = 15;  // longest wait for a new frame between window events

// Set when the X server went away: the window's thread then sleeps for good inside Xlib,
// which would otherwise end the program, and drawing goes back to the fixed line.
std::atomic<bool> g_lost{false};

#ifdef PVC_HAVE_X11
int OnDisplayLost(Display*);
#endif

bool DisplaySet() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* v = getenv(name);
    if (v != nullptr && v[0] != '\0') return true;
  }
  return false;
}

class Window {
 public:
  enum class State { kClosed, kStarting, kRunning, kFailed };

  ~Window() { Stop(); }

  // Ends the window's thread (it closes the window and SDL). A thread that lost its
  // display, or that ends the program itself, is left behind.
  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    if (!thread_.joinable()) return;
    if (g_lost || thread_.get_id() == std::this_thread::get_id())
      thread_.detach();
    else
      thread_.join();
  }

  // Shell thread: opens the window at the first call.
  bool Open() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (state_ != State::kClosed) return state_ == State::kRunning;
    state_ = State::kFailed;
    if (!DisplaySet()) return false;
    state_ = State::kStarting;
    // The window's thread takes no signal: Ctrl-C keeps reaching the shell's thread.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);
    try {
      thread_ = std::thread(&Window::Run, this);
    } catch (const std::system_error&) {
      state_ = State::kFailed;
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    changed_.wait(lock, [this] { return state_ != State::kStarting; });
    // At exit the window closes before the libraries SDL loaded are torn down: handlers
    // registered later run first.
    if (state_ == State::kRunning) atexit(StopAtExit);
    return state_ == State::kRunning;
  }

  // The window's thread, or the one that lost the display: no more drawing.
  void Started(State s) {
    std::lock_guard<std::mutex> lock(mutex_);
    state_ = s;
    changed_.notify_all();
  }

  // Shell thread: the composed frame becomes the newest one.
  void Publish() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ != State::kRunning) return;
    std::swap(slot_, Composing());
    fresh_ = true;
  }

 private:

  static void StopAtExit();

  void Run() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The software renderer draws into the window's own surface: no OpenGL (and none of
    // its threads) behind it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Only the display that DISPLAY or WAYLAND_DISPLAY names, never the console's.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,wayland");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return Started(State::kFailed);
#ifdef PVC_HAVE_X11
    if (SDL_strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) XSetIOErrorHandler(OnDisplayLost);
#endif
    SDL_Window* window = SDL_CreateWindow("pvc", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWindowSide,
                                          kWindowSide, SDL_WINDOW_RESIZABLE);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    if (renderer == nullptr) {
      if (window) SDL_DestroyWindow(window);
      SDL_Quit();
      return Started(State::kFailed);
    }
    Started(State::kRunning);
    Loop(window, renderer);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
  }

  void Loop(SDL_Window* window, SDL_Renderer* renderer) {
    Frame shown;
    Viewport view;  // as last drawn: the mouse and the keys act on what the user sees
    std::string title;
    bool hidden = false, dirty = false;
    for (;;) {
      SDL_Event ev;
      for (bool got = SDL_WaitEventTimeout(&ev, kPollMs); got; got = SDL_PollEvent(&ev)) {
        if (ev.type == SDL_QUIT ||
            (ev.type == SDL_WINDOWEVENT && ev.window.event == SDL_WINDOWEVENT_CLOSE)) {
          SDL_HideWindow(window);  // until the next drawing
          hidden = true;
        } else {
          // resized, exposed, shown, zoomed, panned: draw again
          dirty |= ev.type == SDL_WINDOWEVENT || Steer(view, ev);
        }
      }
      bool fresh;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_) return;
        fresh = fresh_;
        if (fresh) std::swap(shown, slot_);
        fresh_ = false;
      }
      if (fresh) {
        if (hidden) SDL_ShowWindow(window);
        hidden = false;
        dirty = true;
      }
      if (dirty && !hidden) {
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(renderer, &w, &h);
        view.Fit(shown.cities, w, h, kMargin);
        const std::string now = ZoomedTitle(shown.title, view.Zoom());
        if (now != title) SDL_SetWindowTitle(window, now.c_str());
        title = now;
        RenderFrame(renderer, shown, view);
        SDL_RenderPresent(renderer);
        dirty = false;
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = State::kClosed;
  bool stop_ = false;
  bool fresh_ = false;  // slot_ holds a frame the window has not taken yet
  Frame slot_;
  std::thread thread_;
};

Window g_window;

void Window::StopAtExit() { g_window.Stop(); }

#ifdef PVC_HAVE_X11
int OnDisplayLost(Display*) {
  g_lost = true;
  g_window.Started(Window::State::kFailed);
  for (;;) pause();  // every signal is blocked in this thread: it never returns
}
#endif

}  // namespace

bool Open() { return g_window.Open(); }
void Publish() { g_window.Publish(); }

}  // namespace pvc::view
