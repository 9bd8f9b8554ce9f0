#include "display/display_worker.h"

#include <algorithm>
#include <unordered_map>

#include "common/process_flags.h"
#include "display/placeholder_picture.h"

namespace {

constexpr uint64_t kPassMs = 100;
// However long nothing falls due, the thread looks in once a minute.
constexpr int kMostQuietPasses = 600;

// A different order at every start of the program and for every display.
uint64_t ShuffleSeed(const void* worker) {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return static_cast<uint64_t>(counter.QuadPart) ^ (GetTickCount64() << 20) ^ reinterpret_cast<uintptr_t>(worker);
}

}  // namespace

DisplayWorker::DisplayWorker() : m_shuffle(ShuffleSeed(this)) {}

DisplayWorker::~DisplayWorker() { Stop(); }

bool DisplayWorker::Start(DisplayWorkerHost& host) {
    if (IsRunning()) return true;
    m_host = &host;
    m_stop = false;
    m_handledRebuildCount = g_pictureListRebuildCount.load(std::memory_order_relaxed);
    if (!m_wake.IsValid()) m_wake.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_wake.IsValid()) return false;
    m_thread.Reset(CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr));
    return m_thread.IsValid();
}

bool DisplayWorker::Stop(DWORD waitMs) {
    if (!m_thread.IsValid()) return true;
    m_stop = true;
    Wake();
    const bool ended = WaitForSingleObject(m_thread.Get(), waitMs) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateThread(m_thread.Get(), 1092);
        WaitForSingleObject(m_thread.Get(), 1000);
    }
    m_thread.Reset();
    return ended;
}

bool DisplayWorker::IsRunning() const {
    return m_thread.IsValid() && WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT;
}

DWORD WINAPI DisplayWorker::ThreadEntry(void* parameter) {
    auto* worker = static_cast<DisplayWorker*>(parameter);
    DisplayWorkerHost& host = *worker->m_host;
    // The program's stop event is waited for too, when there is one.
    const HANDLE wakeUps[] = {worker->m_wake.Get(), g_stopFlag.Event()};
    const DWORD wakeUpCount = wakeUps[1] != nullptr ? 2 : 1;
    // A pass every 100 ms, counted from the start of the last one; the passes that would only
    // advance the clock are slept through and made up for when the thread wakes.
    uint64_t passStart = GetTickCount64();
    uint64_t passMs = 0;
    while (!worker->StopRequested()) {
        const int quiet = worker->QuietPasses(host, kMostQuietPasses);
        const uint64_t due = static_cast<uint64_t>(quiet + 1) * kPassMs;
        const DWORD wait = static_cast<DWORD>(passMs + 10 >= due ? 10 : due - passMs);
        WaitForMultipleObjects(wakeUpCount, wakeUps, FALSE, wait);
        if (worker->StopRequested()) break;
        // The quiet passes whose time came are made up for; woken early, the thread makes its
        // next pass at once.
        const uint64_t passesDue = (GetTickCount64() - passStart) / kPassMs;
        worker->m_schedule.AdvanceQuietly(static_cast<int>(std::min<uint64_t>(quiet, passesDue)));
        passStart = GetTickCount64();
        worker->RunPass(host);
        passMs = GetTickCount64() - passStart;
    }
    return 1;
}

int DisplayWorker::QuietPasses(DisplayWorkerHost& host, int limit) const {
    if (m_search != nullptr || m_restartQuickChanges.load(std::memory_order_relaxed) ||
        g_pictureListRebuildCount.load(std::memory_order_relaxed) != m_handledRebuildCount) {
        return 0;
    }
    // A picture that fell due while the display was hidden waits for it to show: the display
    // wakes the thread then.
    if (m_duePicture >= 0 && host.IsShown()) return 0;
    return m_schedule.QuietPasses(host.PictureSource(), static_cast<int>(m_pictures.size()), host.IntervalSeconds(),
                                  limit);
}

bool DisplayWorker::StopRequested() const {
    return m_stop.load(std::memory_order_relaxed) || g_stopFlag.load(std::memory_order_relaxed);
}

void DisplayWorker::ShowStandIn(DisplayWorkerHost& host, const std::wstring& text) {
    if (MakePlaceholderPicture(m_placeholder, text) == nullptr) return;
    // The scene owns the bitmap from here; the next stand-in must not delete it.
    host.ShowPlaceholder(m_placeholder.Detach());
}

void DisplayWorker::RunPass(DisplayWorkerHost& host) {
    if (m_restartQuickChanges.exchange(false, std::memory_order_relaxed)) m_schedule.RestartQuickChanges();
    const int source = host.PictureSource();
    const unsigned rebuildCount = g_pictureListRebuildCount.load(std::memory_order_relaxed);
    // Both kinds of request are taken now; the rebuild below follows the change check.
    const bool ownRequest = host.TakeOwnRebuildRequest();
    const bool rebuildRequested = ownRequest || rebuildCount != m_handledRebuildCount;
    m_handledRebuildCount = rebuildCount;
    const RotationSchedule::Pass pass =
        m_schedule.Tick(source, static_cast<int>(m_pictures.size()), host.IntervalSeconds(), rebuildRequested);

    if (pass.rotateSamples) host.RotateSamples();
    // A change due already, not yet shown, keeps its picture: a shuffled cycle loses none.
    if (pass.pictureIndex >= 0 && !(m_shuffling && m_duePicture >= 0))
        m_duePicture = PictureForChange(pass.pictureIndex);
    // Decoding costs the most; a hidden display keeps the picture due for when it shows again.
    if (m_duePicture >= 0 && host.IsShown()) {
        if (m_duePicture < static_cast<int>(m_pictures.size())) ShowPictureFrom(host, m_duePicture);
        m_duePicture = -1;
    }
    if (pass.rebuildLists) StartRebuild(host, source);
    if (m_search != nullptr) ContinueSearch(host);
    FollowShuffleSetting(host);
}

int DisplayWorker::PictureForChange(int scheduled) {
    if (!m_shuffling) return scheduled;
    const int position = m_shuffle.Next();
    return position >= 0 ? position : scheduled;
}

void DisplayWorker::FollowShuffleSetting(DisplayWorkerHost& host) {
    if (m_search != nullptr) return;  // the order is made for the complete list
    const bool wanted = host.ShufflePictures() && !m_pictures.empty();
    if (wanted && !m_shuffling) {
        std::vector<int> shown;
        if (!m_shownBeforeListComplete.empty()) {
            // One pass over the list finds the few pictures shown while it was searched.
            std::unordered_map<std::wstring, int> shownAt;
            for (size_t i = 0; i < m_shownBeforeListComplete.size(); ++i) {
                shownAt.emplace(m_shownBeforeListComplete[i], static_cast<int>(i));
            }
            std::vector<int> positions(m_shownBeforeListComplete.size(), -1);
            for (size_t position = 0; position < m_pictures.size(); ++position) {
                const auto found = shownAt.find(m_pictures[position]);
                if (found != shownAt.end()) positions[found->second] = static_cast<int>(position);
            }
            shown = std::move(positions);
        } else if (m_positionOnShow >= 0) {
            shown.push_back(m_positionOnShow);
        }
        m_shuffle.StartAfter(static_cast<int>(m_pictures.size()), shown);
        m_shuffling = true;
    } else if (!wanted && m_shuffling) {
        // The sorted order carries on after the picture on show.
        m_shuffling = false;
        if (m_positionOnShow >= 0) m_schedule.SetCurrentIndex(m_positionOnShow);
    }
    m_shownBeforeListComplete.clear();
}

void DisplayWorker::StartRebuild(DisplayWorkerHost& host, int source) {
    m_duePicture = -1;
    m_shuffling = false;
    m_positionOnShow = -1;
    m_shownBeforeListComplete.clear();
    m_pictures.clear();
    m_search.reset();
    if (source > 0) ShowStandIn(host, LoadingPlaceholderText());
    if (source == 1 || source == 2) {
        m_search = host.StartPictureSearch(source);
        m_searchSource = source;
    }
    if (source > 0 && m_search == nullptr) ShowStandIn(host, EmptyPlaceholderText());
}

void DisplayWorker::ContinueSearch(DisplayWorkerHost& host) {
    SearchSlice slice;
    slice.milliseconds = m_searchSliceMs;
    slice.maxEntries = m_searchSliceEntries;
    const bool hadPictures = !m_pictures.empty();
    slice.abandon = [this, &host, hadPictures] {
        return StopRequested() || host.PictureSource() != m_searchSource ||
               g_pictureListRebuildCount.load(std::memory_order_relaxed) != m_handledRebuildCount ||
               // The slice that finds the first picture ends with it, so that it shows at once.
               (!hadPictures && !m_pictures.empty());
    };
    const bool complete = m_search->Continue(slice, m_pictures);
    if (complete) {
        m_search.reset();
        const std::wstring onShow = m_positionOnShow >= 0 ? m_pictures[m_positionOnShow] : std::wstring();
        m_pictures = InShowingOrder(std::move(m_pictures));
        if (!onShow.empty()) {
            const auto found = std::find(m_pictures.begin(), m_pictures.end(), onShow);
            m_positionOnShow = found != m_pictures.end() ? static_cast<int>(found - m_pictures.begin()) : -1;
        }
        if (m_pictures.empty()) {
            ShowStandIn(host, EmptyPlaceholderText());
            return;
        }
    }
    // The first picture found is shown at once, not at the next change.
    if (!hadPictures && !m_pictures.empty()) {
        m_schedule.ChangedNow(0);
        if (host.IsShown()) {
            ShowPictureFrom(host, 0);
        } else {
            m_duePicture = 0;
        }
    }
}

void DisplayWorker::ShowPictureFrom(DisplayWorkerHost& host, int index) {
    // Each failure shortens the list, so this ends; a quitting program does not wait for it.
    while (!m_pictures.empty() && !StopRequested()) {
        if (host.ShowPicture(m_pictures[index])) {
            m_schedule.SetCurrentIndex(index);
            m_positionOnShow = index;
            if (!m_shuffling) m_shownBeforeListComplete.push_back(m_pictures[index]);
            return;
        }
        m_pictures.erase(m_pictures.begin() + index);
        if (m_positionOnShow > index) --m_positionOnShow;
        if (m_shuffling) {
            // The shuffled cycle goes on with the next picture it has not shown yet.
            m_shuffle.Remove(index);
            index = m_shuffle.Next();
            if (index < 0) break;
        } else if (index >= static_cast<int>(m_pictures.size())) {
            index = 0;
        }
    }
    // Nothing in the list could be shown (a search still running may find more).
    if (m_pictures.empty() && m_search == nullptr) ShowStandIn(host, EmptyPlaceholderText());
}
