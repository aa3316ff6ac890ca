/* Loaded into the window game with LD_PRELOAD by bench/window-startup.sh: it
 * notes when the first picture reaches the window and when the game first
 * sits waiting for a key (the start-up report and start screen shown), with
 * the peak memory at that moment and the renderer in use, then ends the
 * process there if asked to.
 *   DW_LAUNCH_NS       the launch time, CLOCK_REALTIME nanoseconds
 *   DW_PROBE_LOG       where the figures go
 *   DW_EXIT_WHEN_READY end the process once it waits for a key */
#define _GNU_SOURCE
#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

static int presents;
static int ready;

static double msSinceLaunch(void) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const char* launch = getenv("DW_LAUNCH_NS");
  long long ns = (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
  return launch ? (ns - atoll(launch)) / 1e6 : -1;
}

static void note(const char* what) {
  const char* path = getenv("DW_PROBE_LOG");
  FILE* log = path ? fopen(path, "a") : stderr;
  if (!log) return;
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  fprintf(log, "%s %.1f ms, peak RSS %ld KB\n", what, msSinceLaunch(), usage.ru_maxrss);
  if (log != stderr) fclose(log);
}

static void shown(void) {
  if (presents++ == 0) note("first frame");
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
  static void (*real)(SDL_Renderer*);
  if (!real) real = (void (*)(SDL_Renderer*))dlsym(RTLD_NEXT, "SDL_RenderPresent");
  real(renderer);
  shown();
}

int SDL_UpdateWindowSurface(SDL_Window* window) {
  static int (*real)(SDL_Window*);
  if (!real) real = (int (*)(SDL_Window*))dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface");
  int result = real(window);
  shown();
  return result;
}

SDL_Renderer* SDL_CreateRenderer(SDL_Window* window, int index, Uint32 flags) {
  static SDL_Renderer* (*real)(SDL_Window*, int, Uint32);
  if (!real) real = (SDL_Renderer * (*)(SDL_Window*, int, Uint32)) dlsym(RTLD_NEXT, "SDL_CreateRenderer");
  SDL_Renderer* renderer = real(window, index, flags);
  SDL_RendererInfo info;
  if (renderer && SDL_GetRendererInfo(renderer, &info) == 0) {
    const char* path = getenv("DW_PROBE_LOG");
    FILE* log = path ? fopen(path, "a") : stderr;
    if (log) {
      fprintf(log, "renderer %s\n", info.name);
      if (log != stderr) fclose(log);
    }
  }
  return renderer;
}

int SDL_WaitEvent(SDL_Event* event) {
  static int (*real)(SDL_Event*);
  if (!real) real = (int (*)(SDL_Event*))dlsym(RTLD_NEXT, "SDL_WaitEvent");
  if (!ready) {
    ready = 1;
    note("waiting for a key");
    if (getenv("DW_EXIT_WHEN_READY")) _exit(0);
  }
  return real(event);
}
