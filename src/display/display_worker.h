#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include <memory>

#include "common/unique_handle.h"
#include "display/rotation_schedule.h"
#include "display/shuffle_order.h"
#include "imaging/bitmap32.h"
#include "sources/picture_search.h"

// What a display's worker needs from its display. Called on the worker thread.
class DisplayWorkerHost {
public:
    virtual ~DisplayWorkerHost() = default;
    virtual int PictureSource() const = 0;    // 0 samples, 1 folder, 2 individual list
    virtual int IntervalSeconds() const = 0;  // read at every pass
    // Whether the pictures of a folder or list come in a shuffled order; read at every pass.
    virtual bool ShufflePictures() const = 0;
    // Starts the search for the pictures of the folder tree (source 1) or of the individual list
    // (source 2); the worker carries it on a slice at a time.
    virtual std::unique_ptr<PictureSearch> StartPictureSearch(int source) = 0;
    // Hand-over to the scene; both take ownership of what they are given.
    virtual void ShowPlaceholder(HBITMAP placeholder) = 0;
    // False when the file turned out to be no picture that can be shown (it no longer reads, or
    // its data do not decode although its header looked fine); nothing was handed over then.
    virtual bool ShowPicture(const std::wstring& path) = 0;
    virtual void RotateSamples() = 0;
    // True once for each rebuild that only this display asked for (its render target reopened).
    virtual bool TakeOwnRebuildRequest() = 0;
    // Whether the display is seen now; a hidden display's pictures are not decoded until it shows.
    virtual bool IsShown() const = 0;
};

// The thread that keeps one display's pictures coming: it builds the picture list when the
// source changes or a rebuild is requested, shows stand-in pictures while loading or when there
// is nothing to show, and hands the next picture to the scene when one is due. The list is
// searched a slice of time per pass: the first picture found is shown at once and the rotation
// goes on with the pictures found so far; the complete list is in its order of showing. A new
// source or a rebuild request abandons a search at once. A listed file
// that turns out not to decode leaves the list, and the next one is shown in its place. It never
// touches a window or OpenGL. While the display is hidden the schedule goes on, but the picture
// that falls due is decoded only when the display shows again.
// With shuffle on, the complete list is shown in cycles of a random order (ShuffleOrder); the
// pictures shown while the list was still being searched open the first cycle, so that none of
// them comes twice in it. Turned off, the sorted order carries on after the picture on show.
// The passes follow each other every 100 ms while a search runs; otherwise the thread sleeps
// until the next picture change falls due (making up for the passes it slept through), unless
// its display wakes it first because something it reads changed.
class DisplayWorker {
public:
    DisplayWorker();
    ~DisplayWorker();
    DisplayWorker(const DisplayWorker&) = delete;
    DisplayWorker& operator=(const DisplayWorker&) = delete;

    // Starts the thread; false when it cannot be started.
    bool Start(DisplayWorkerHost& host);
    // Asks the thread to end and waits up to `waitMs`; a thread that does not end in time is
    // ended by force (exit code 1092). Returns whether it ended by itself. The thread also ends
    // by itself once the program's stop flag is set.
    bool Stop(DWORD waitMs = 1000);
    bool IsRunning() const;

    // One pass of the loop without the sleep, on the calling thread (the thread runs one every
    // 100 ms).
    void RunPass(DisplayWorkerHost& host);
    // How much of a search one pass does: `milliseconds` of it (80 unless changed), and at most
    // `entries` folder entries when not 0 (for following a search pass by pass).
    void SetSearchSlice(uint64_t milliseconds, size_t entries) {
        m_searchSliceMs = milliseconds;
        m_searchSliceEntries = entries;
    }
    bool IsSearching() const { return m_search != nullptr; }

    // The aspect mode changed: the next pass starts the quick first changes again. Any thread.
    void RestartQuickChanges() {
        m_restartQuickChanges.store(true, std::memory_order_relaxed);
        Wake();
    }
    // Something the passes read changed (the picture source or interval, a rebuild request, the
    // display shown again): the thread makes its next pass now rather than when its next picture
    // is due. Any thread.
    void Wake() {
        if (m_wake.IsValid()) SetEvent(m_wake.Get());
    }
    // How many of the next passes would do nothing but advance the rotation clock, as things
    // stand (at most `limit`); 0 while a search runs or anything waits to be handled.
    int QuietPasses(DisplayWorkerHost& host, int limit) const;
    const std::vector<std::wstring>& Pictures() const { return m_pictures; }

private:
    static DWORD WINAPI ThreadEntry(void* parameter);
    void ShowStandIn(DisplayWorkerHost& host, const std::wstring& text);
    // Shows the picture at `index`, or the first one after it that can be shown; pictures that
    // cannot be shown leave the list.
    void ShowPictureFrom(DisplayWorkerHost& host, int index);
    // The position of the picture for a change that the schedule named `scheduled`: the next
    // of the shuffled order while that is in force.
    int PictureForChange(int scheduled);
    // Starts or ends the shuffled order as the setting and the state of the list ask.
    void FollowShuffleSetting(DisplayWorkerHost& host);
    void StartRebuild(DisplayWorkerHost& host, int source);
    void ContinueSearch(DisplayWorkerHost& host);
    bool StopRequested() const;

    RotationSchedule m_schedule;
    std::vector<std::wstring> m_pictures;  // in the order of showing
    CDumBitmap m_placeholder;              // makes each stand-in; never keeps one
    DisplayWorkerHost* m_host = nullptr;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_restartQuickChanges{false};
    unsigned m_handledRebuildCount = 0;  // the process-wide rebuild requests seen so far
    int m_duePicture = -1;               // fell due while the display was hidden
    ShuffleOrder m_shuffle;
    bool m_shuffling = false;   // m_shuffle holds the order of the complete list in force
    int m_positionOnShow = -1;  // the picture on show, as a position in m_pictures; -1: none yet
    // What was shown since the last rebuild while the list was incomplete: the shuffled order
    // of the complete list starts with these.
    std::vector<std::wstring> m_shownBeforeListComplete;
    std::unique_ptr<PictureSearch> m_search;  // while the list is being searched
    int m_searchSource = -1;
    uint64_t m_searchSliceMs = 80;
    size_t m_searchSliceEntries = 0;
    UniqueHandle m_thread;
    UniqueHandle m_wake;  // auto-reset: set by Wake and Stop
};
