#include <foundation/json/ElementStream.hpp>

#include "Converter.hpp"
#include "ElementStreamImpl.hpp"

#include <cstring>
#include <utility>

namespace foundation::json {

namespace detail {

namespace {

Kind kindAt(Tape const& tape, std::size_t at) noexcept {
    switch (tape.type(at)) {
    case '[': return Kind::Array;
    case '{': return Kind::Object;
    case '"': return Kind::String;
    case 't':
    case 'f': return Kind::Bool;
    case 'n': return Kind::Null;
    default: return Kind::Double;  // every number is read as a double
    }
}

} // namespace

void StreamRelease::passed(std::size_t next) noexcept {
    std::size_t const start = index_;
    index_ = next;
    tapePages_.passed(tape_.words() + index_);
    // Strings sit in the string buffer in document order: the entry's last one ends all it
    // read.
    if (index_ - stringsCheckedAt_ < kStringCheckWords) {
        return;
    }
    stringsCheckedAt_ = index_;
    std::size_t lastString = index_;
    for (std::size_t i = start; i < index_; i = tape_.step(i)) {
        if (tape_.type(i) == '"') {
            lastString = i;
        }
    }
    if (lastString != index_) {
        stringPages_.passed(tape_.stringEnd(lastString) + 1);
    }
}

} // namespace detail

ElementStream::ElementStream(std::unique_ptr<Impl> impl) noexcept : impl_(std::move(impl)) {}
ElementStream::ElementStream(ElementStream&&) noexcept = default;
ElementStream& ElementStream::operator=(ElementStream&&) noexcept = default;
ElementStream::~ElementStream() = default;

ElementStream::Impl::Impl(std::shared_ptr<detail::ParserState> lender) : borrowed(std::move(lender)) {
    borrowed->lent = true;
    start(borrowed->dom.doc);
}

ElementStream::Impl::Impl(std::unique_ptr<simdjson::dom::document> document) : owned(std::move(document)) {
    start(*owned);
    if (kind == Kind::Array) {
        release.emplace(*tape);
    }
}

ElementStream::Impl::~Impl() {
    if (borrowed) {
        borrowed->lent = false;
    }
}

void ElementStream::Impl::start(simdjson::dom::document const& document) {
    tape.emplace(document);
    kind = detail::kindAt(*tape, detail::Tape::kRoot);
    if (kind != Kind::Array) {
        count = 1;
        return;
    }
    count = tape->count(detail::Tape::kRoot);
    next = detail::Tape::kRoot + 1;  // the array's first entry
}

Kind ElementStream::documentKind() const noexcept { return impl_->kind; }
std::size_t ElementStream::size() const noexcept { return impl_->count; }
std::size_t ElementStream::position() const noexcept { return impl_->handedOut; }
std::size_t ElementStream::releasedBytes() const noexcept { return impl_->release ? impl_->release->released() : 0; }

bool ElementStream::next(Value& element) {
    Impl& s = *impl_;
    if (s.handedOut == s.count) {
        return false;
    }
    element = Value();  // the previous element goes first, and its arena with it
    if (s.handedOut > 0) {
        s.converter.startArena();
    }
    std::size_t const at = s.next;
    s.next = s.tape->after(at);
    element = s.converter.convert(*s.tape, at);
    if (s.release) {
        s.release->passed(s.next);
    }
    ++s.handedOut;
    return true;
}

} // namespace foundation::json
