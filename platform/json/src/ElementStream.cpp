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
    std::vector<simdjson::dom::document const*> documents{&borrowed->dom.doc};
    std::vector<detail::ZeroedNumbers const*> zeroed{&borrowed->zeroed};
    if (borrowed->split) {
        documents.push_back(&borrowed->second->doc);
        zeroed.push_back(&borrowed->secondZeroed);
    }
    start(documents, zeroed, false);
}

ElementStream::Impl::Impl(std::vector<std::unique_ptr<simdjson::dom::document>> documents,
                          std::vector<detail::ZeroedNumbers> zeroed)
    : owned(std::move(documents)), ownedZeroed(std::move(zeroed)) {
    std::vector<simdjson::dom::document const*> read;
    std::vector<detail::ZeroedNumbers const*> readZeroed;
    for (std::size_t i = 0; i < owned.size(); ++i) {
        read.push_back(owned[i].get());
        readZeroed.push_back(i < ownedZeroed.size() ? &ownedZeroed[i] : nullptr);
    }
    start(read, readZeroed, true);
}

ElementStream::Impl::~Impl() {
    if (borrowed) {
        borrowed->lent = false;
    }
}

void ElementStream::Impl::start(std::vector<simdjson::dom::document const*> const& documents,
                                std::vector<detail::ZeroedNumbers const*> const& zeroed, bool releasing) {
    parts.reserve(documents.size());
    for (std::size_t i = 0; i < documents.size(); ++i) {
        detail::Tape const tape(*documents[i], zeroed[i]);
        kind = detail::kindAt(tape, detail::Tape::kRoot);
        if (kind != Kind::Array) {  // only an array is ever parsed in parts
            count = 1;
            parts.push_back({tape, count, std::nullopt});
            return;
        }
        count += tape.count(detail::Tape::kRoot);
        parts.push_back({tape, count, std::nullopt});
        if (releasing) {
            parts.back().release.emplace(tape);
        }
    }
    next = detail::Tape::kRoot + 1;  // the array's first entry
}

void ElementStream::Impl::nextPart() {
    if (!owned.empty()) {
        if (parts[part].release) {
            releasedBehind += parts[part].release->released();
            parts[part].release.reset();
        }
        owned[part].reset();  // nothing of it is read any more: its pages go at once
    }
    ++part;
    next = detail::Tape::kRoot + 1;
}

Kind ElementStream::documentKind() const noexcept { return impl_->kind; }
std::size_t ElementStream::size() const noexcept { return impl_->count; }
std::size_t ElementStream::position() const noexcept { return impl_->handedOut; }
std::size_t ElementStream::releasedBytes() const noexcept {
    std::size_t released = impl_->releasedBehind;
    for (auto const& part : impl_->parts) {
        released += part.release ? part.release->released() : 0;
    }
    return released;
}
std::size_t ElementStream::parts() const noexcept { return impl_->parts.size(); }

bool ElementStream::next(Value& element) {
    Impl& s = *impl_;
    if (s.handedOut == s.count) {
        return false;
    }
    element = Value();  // the previous element goes first, and its arena with it
    if (s.handedOut > 0) {
        s.converter.startArena();
    }
    while (s.handedOut == s.parts[s.part].end) {
        s.nextPart();
    }
    Impl::Part& part = s.parts[s.part];
    std::size_t const at = s.next;
    s.next = part.tape.after(at);
    element = s.converter.convert(part.tape, at);
    if (part.release) {
        part.release->passed(s.next);
    }
    ++s.handedOut;
    return true;
}

} // namespace foundation::json
