#include <foundation/json/ElementStream.hpp>

#include "Converter.hpp"
#include "ElementStreamImpl.hpp"

#include <cstring>
#include <utility>

namespace foundation::json {

namespace detail {

namespace {

Kind kindOf(simdjson::dom::element_type type) noexcept {
    using T = simdjson::dom::element_type;
    switch (type) {
    case T::ARRAY: return Kind::Array;
    case T::OBJECT: return Kind::Object;
    case T::STRING: return Kind::String;
    case T::BOOL: return Kind::Bool;
    case T::NULL_VALUE: return Kind::Null;
    case T::INT64:
    case T::UINT64:
    case T::DOUBLE: return Kind::Double;  // every number is read as a double
    }
    return Kind::Undefined;
}

char tapeType(std::uint64_t word) noexcept { return static_cast<char>(word >> 56); }

// Whether a tape word may start an element of that type.
bool starts(std::uint64_t word, simdjson::dom::element_type type) noexcept {
    char const t = tapeType(word);
    return type == simdjson::dom::element_type::BOOL ? (t == 't' || t == 'f') : t == static_cast<char>(type);
}

// The tape word after the element that starts at `index`.
std::size_t after(std::uint64_t const* tape, std::size_t index) noexcept {
    switch (tapeType(tape[index])) {
    case '[':
    case '{': return static_cast<std::uint32_t>(tape[index]);
    case 'l':
    case 'u':
    case 'd': return index + 2;
    default: return index + 1;
    }
}

} // namespace

StreamRelease::StreamRelease(simdjson::dom::document const& document) noexcept
    : tape_(document.tape.get()), strings_(document.string_buf.get()),
      tapePages_(tape_ + 2), stringPages_(strings_) {
    // An array at the root: tape[0] opens the root, tape[1] the array, its entries follow.
    active_ = tapeType(tape_[0]) == 'r' && tapeType(tape_[1]) == '[';
}

void StreamRelease::passedEntry(simdjson::dom::array::iterator const& nextEntry,
                                simdjson::dom::array::iterator const& end) noexcept {
    if (!active_) {
        return;
    }
    std::size_t const start = index_;
    index_ = after(tape_, start);
    // The tape layout is simdjson's; check it against what the parser's own iterator says
    // comes next, and stop releasing for good at the first disagreement.
    bool const agrees = nextEntry == end ? tapeType(tape_[index_]) == ']' : starts(tape_[index_], (*nextEntry).type());
    if (!agrees) {
        active_ = false;
        return;
    }
    tapePages_.passed(tape_ + index_);
    // Strings sit in the string buffer in document order: the entry's last one ends all it
    // read. Walked forwards, since a number's second word is raw bits that may look like
    // any type.
    if (index_ - stringsCheckedAt_ < kStringCheckWords) {
        return;
    }
    stringsCheckedAt_ = index_;
    std::size_t lastString = index_;
    for (std::size_t i = start; i < index_;) {
        char const t = tapeType(tape_[i]);
        if (t == '"') {
            lastString = i;
        }
        i += (t == 'l' || t == 'u' || t == 'd') ? 2 : 1;
    }
    if (lastString != index_) {
        std::size_t const offset = tape_[lastString] & ((std::uint64_t(1) << 56) - 1);
        std::uint32_t length = 0;
        std::memcpy(&length, strings_ + offset, sizeof length);
        stringPages_.passed(strings_ + offset + sizeof length + length + 1);
    }
}

} // namespace detail

ElementStream::ElementStream(std::unique_ptr<Impl> impl) noexcept : impl_(std::move(impl)) {}
ElementStream::ElementStream(ElementStream&&) noexcept = default;
ElementStream& ElementStream::operator=(ElementStream&&) noexcept = default;
ElementStream::~ElementStream() = default;

ElementStream::Impl::Impl(std::shared_ptr<detail::ParserState> lender, simdjson::dom::element root)
    : borrowed(std::move(lender)) {
    borrowed->lent = true;
    start(root);
}

ElementStream::Impl::Impl(std::unique_ptr<simdjson::dom::document> document) : owned(std::move(document)) {
    start(owned->root());
    if (kind == Kind::Array) {
        release.emplace(*owned);
    }
}

ElementStream::Impl::~Impl() {
    if (borrowed) {
        borrowed->lent = false;
    }
}

void ElementStream::Impl::start(simdjson::dom::element root) {
    kind = detail::kindOf(root.type());
    if (kind != Kind::Array) {
        single = root;
        count = 1;
        return;
    }
    simdjson::dom::array entries = root.get_array().value_unsafe();
    it = entries.begin();
    end = entries.end();
    count = entries.size();
    if (count >= 0xFFFFFF) {  // simdjson's count saturates there: count the entries themselves
        count = 0;
        for (auto i = it; i != end; ++i) {
            ++count;
        }
    }
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
    if (s.kind != Kind::Array) {
        element = s.converter.convert(s.single);
    } else {
        element = s.converter.convert(*s.it);
        ++s.it;
        if (s.release) {
            s.release->passedEntry(s.it, s.end);
        }
    }
    ++s.handedOut;
    return true;
}

} // namespace foundation::json
