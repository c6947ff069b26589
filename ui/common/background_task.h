#pragma once

#include <QFuture>
#include <QPromise>
#include <QThreadPool>
#include <memory>
#include <type_traits>
#include <utility>

// Work done away from the window, on the application's thread pool, whose result a
// QFutureWatcher brings back to it.
namespace ui {

// Runs `work` on the global thread pool; the future holds what it returns once it is finished.
template <typename Work>
[[nodiscard]] QFuture<std::invoke_result_t<Work>> runInBackground(Work work) {
    using Result = std::invoke_result_t<Work>;
    auto promise = std::make_shared<QPromise<Result>>();
    QFuture<Result> future = promise->future();
    promise->start();
    auto task = std::make_shared<Work>(std::move(work));
    QThreadPool::globalInstance()->start([promise, task] {
        promise->addResult((*task)());
        promise->finish();
    });
    return future;
}

}  // namespace ui
