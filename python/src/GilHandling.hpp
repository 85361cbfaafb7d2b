#pragma once

#include <pybind11/pybind11.h>

#include <cxxabi.h>
#include <unistd.h>

#include <exception>
#include <optional>
#include <utility>

// While the interpreter exits it ends a daemon thread that wants the GIL back (or runs Python)
// with pthread_exit, which unwinds the thread's stack. Through C++ frames that hold Python
// objects, or a noexcept destructor such as pybind11's gil_scoped_release's, that unwinding ends
// the whole process (std::terminate, or a fatal error where a decref needs the thread state the
// thread no longer has). So every call that may end the thread so goes through exitSafe(): the
// thread then waits there, holding nothing, for the process to end, as a daemon thread would.

namespace richmarkup::python {

/// `call()`: one call into the interpreter (PyEval_RestoreThread, PyObject_Call, PyIter_Next,
/// PyErr_WarnEx, ...) that creates no Python object of its own in C++.
template <class Call>
auto exitSafe(Call&& call) -> decltype(call()) {
    try {
        return std::forward<Call>(call)();
    } catch (abi::__forced_unwind const&) {
        for (;;) {
            ::pause(); // never rethrown: the process is ending, and takes this thread with it
        }
    }
}

/// Runs `work` (which touches no Python object) with the GIL released, so that other threads run
/// Python and convert meanwhile, and gives its result or throws what it threw.
template <class Work>
auto withoutGil(Work&& work) -> decltype(work()) {
    std::optional<decltype(work())> result;
    std::exception_ptr failure;
    PyThreadState* const state = PyEval_SaveThread();
    try {
        result.emplace(std::forward<Work>(work)());
    } catch (...) {
        failure = std::current_exception();
    }
    exitSafe([state] { PyEval_RestoreThread(state); });
    if (failure) {
        std::rethrow_exception(failure);
    }
    return std::move(*result);
}

} // namespace richmarkup::python
