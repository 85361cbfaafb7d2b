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
    default: return Kind::Double; // every number is read as a double
    }
}

} // namespace

void StreamRelease::passed(std::size_t next, bool last) noexcept {
    std::size_t const start = index_;
    index_ = next;
    // Strings sit in the string buffer in document order: the entry's last one ends all it
    // read. It is looked for before the tape's pages go, since reading a released page maps
    // it again, and all it holds then is zeros.
    if (last || index_ - stringsCheckedAt_ >= kStringCheckWords) {
        stringsCheckedAt_ = index_;
        if (std::uint8_t const* const end = stringsEnd(start, index_)) {
            if (last) {
                stringPages_.finished(end);
            } else {
                stringPages_.passed(end);
            }
        }
    }
    if (last) {
        tapePages_.finished(tape_.words() + tape_.size());
    } else {
        tapePages_.passed(tape_.words() + index_);
    }
}

std::uint8_t const* StreamRelease::stringsEnd(std::size_t from, std::size_t to) const noexcept {
    std::size_t lastString = to;
    for (std::size_t i = from; i < to; i = tape_.step(i)) {
        if (tape_.type(i) == '"') {
            lastString = i;
        }
    }
    return lastString == to ? nullptr : tape_.stringEnd(lastString) + 1;
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
        bool const array = kind == Kind::Array; // only an array is ever parsed in parts
        count += array ? tape.count(detail::Tape::kRoot) : 1;
        parts.push_back({tape, count, std::nullopt});
        if (releasing) {
            parts.back().release.emplace(tape, array ? detail::Tape::kRoot + 1 : detail::Tape::kRoot);
        }
        if (!array) {
            return; // `next` stays at the root: the document is the one element
        }
    }
    next = detail::Tape::kRoot + 1; // the array's first entry
}

void ElementStream::Impl::nextPart() {
    freePart(part);
    ++part;
    next = detail::Tape::kRoot + 1;
}

void ElementStream::Impl::freePart(std::size_t index) noexcept {
    if (owned.empty()) {
        return; // borrowed buffers go back to the parser
    }
    if (parts[index].release) {
        releasedBehind += parts[index].release->released();
        parts[index].release.reset();
    }
    owned[index].reset();
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
    element = Value(); // the previous element goes first, and its arena with it
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
    ++s.handedOut;
    if (part.release) {
        bool const partDone = s.handedOut == part.end;
        part.release->passed(s.next, partDone);
        if (partDone) {
            // Before the element is built, where one element of a large document peaks.
            s.freePart(s.part);
        }
    }
    return true;
}

} // namespace foundation::json
