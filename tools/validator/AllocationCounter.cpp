#include "AllocationCounter.h"

#if BRAZZLE_VALIDATOR_COUNTS_ALLOCATIONS

 #include <cstdlib>
 #include <cstring>
 #include <cxxabi.h>
 #include <dlfcn.h>
 #include <elf.h>
 #include <execinfo.h>
 #include <map>
 #include <mutex>
 #include <new>

extern "C"
{
    void* __libc_malloc (size_t);
    void* __libc_calloc (size_t, size_t);
    void* __libc_realloc (void*, size_t);
}

namespace
{
constexpr int maxFrames = 24;
constexpr int maxStacks = 32;
constexpr int maxSites = 32;

// Frames that tell sites apart: the allocator's own, its caller and two more.
constexpr int siteFrames = 4;

struct CallStack
{
    void* frames[maxFrames];
    int depth = 0;
};

struct SiteTally
{
    CallStack stack;
    unsigned long long count = 0;
};

thread_local bool armed = false;
thread_local bool inside = false;
thread_local unsigned long long count = 0;
thread_local CallStack stacks[maxStacks];
thread_local int stacksKept = 0;
thread_local SiteTally sites[maxSites];
thread_local int sitesKept = 0;
thread_local unsigned long long unsitedCount = 0;

bool sameSite (const CallStack& a, const CallStack& b) noexcept
{
    const int frames = juce::jmin (siteFrames, a.depth);
    return a.depth >= frames && b.depth >= frames && std::memcmp (a.frames, b.frames, sizeof (void*) * (size_t) frames) == 0;
}

void noteAllocation() noexcept
{
    if (! armed || inside)
        return;

    ++count;

    // Taking the stack may itself allocate on a first call; that must not count.
    inside = true;
    CallStack stack;
    stack.depth = backtrace (stack.frames, maxFrames);
    inside = false;

    if (stacksKept < maxStacks)
        stacks[stacksKept++] = stack;

    for (int i = 0; i < sitesKept; ++i)
    {
        if (sameSite (sites[i].stack, stack))
        {
            ++sites[i].count;
            return;
        }
    }

    if (sitesKept < maxSites)
        sites[sitesKept++] = { stack, 1 };
    else
        ++unsitedCount;
}

struct FunctionSymbol
{
    juce::uint64 start, size;
    juce::String name;
};

// The library's full symbol table, which dladdr does not see: it reads only the
// exported symbols, and a plug-in exports little more than its entry points.
std::vector<FunctionSymbol> readFunctionSymbols (const juce::File& library)
{
    std::vector<FunctionSymbol> symbols;
    juce::MemoryBlock file;

    if (! library.loadFileAsData (file) || file.getSize() < sizeof (Elf64_Ehdr))
        return symbols;

    const auto* bytes = static_cast<const char*> (file.getData());
    const auto size = file.getSize();

    Elf64_Ehdr header;
    std::memcpy (&header, bytes, sizeof (header));

    if (std::memcmp (header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64
        || header.e_shentsize != sizeof (Elf64_Shdr) || header.e_shoff + (juce::uint64) header.e_shnum * sizeof (Elf64_Shdr) > size)
        return symbols;

    const auto sectionAt = [&] (size_t index)
    {
        Elf64_Shdr section;
        std::memcpy (&section, bytes + header.e_shoff + index * sizeof (Elf64_Shdr), sizeof (section));
        return section;
    };

    for (size_t i = 0; i < header.e_shnum; ++i)
    {
        const auto table = sectionAt (i);

        if (table.sh_type != SHT_SYMTAB || table.sh_link >= header.e_shnum || table.sh_offset + table.sh_size > size)
            continue;

        const auto strings = sectionAt (table.sh_link);

        if (strings.sh_offset + strings.sh_size > size)
            continue;

        for (juce::uint64 at = 0; at + sizeof (Elf64_Sym) <= table.sh_size; at += sizeof (Elf64_Sym))
        {
            Elf64_Sym symbol;
            std::memcpy (&symbol, bytes + table.sh_offset + at, sizeof (symbol));

            if (ELF64_ST_TYPE (symbol.st_info) != STT_FUNC || symbol.st_size == 0 || symbol.st_name >= strings.sh_size)
                continue;

            const auto* mangled = bytes + strings.sh_offset + symbol.st_name;
            const auto length = strnlen (mangled, (size_t) (strings.sh_size - symbol.st_name));
            juce::String name (juce::CharPointer_UTF8 (mangled), length);

            int status = 0;

            if (auto* demangled = abi::__cxa_demangle (name.toRawUTF8(), nullptr, nullptr, &status))
            {
                name = juce::String::fromUTF8 (demangled);
                std::free (demangled);
            }

            symbols.push_back ({ symbol.st_value, symbol.st_size, name });
        }
    }

    return symbols;
}

juce::String functionAt (const juce::File& library, juce::uint64 offset)
{
    static std::mutex lock;
    static std::map<juce::String, std::vector<FunctionSymbol>> tables;

    const std::scoped_lock scoped (lock);
    auto it = tables.find (library.getFullPathName());

    if (it == tables.end())
        it = tables.emplace (library.getFullPathName(), readFunctionSymbols (library)).first;

    for (const auto& symbol : it->second)
        if (offset >= symbol.start && offset - symbol.start < symbol.size)
            return symbol.name;

    return {};
}

juce::StringArray describe (const CallStack& stack)
{
    juce::StringArray lines;

    if (auto** symbols = backtrace_symbols (stack.frames, stack.depth))
    {
        for (int i = 0; i < stack.depth; ++i)
            lines.add (symbols[i]);

        std::free (symbols);
    }

    return lines;
}

void* allocateOrThrow (size_t size)
{
    noteAllocation();

    if (auto* p = __libc_malloc (size == 0 ? 1 : size))
        return p;

    throw std::bad_alloc();
}

void* allocateAlignedOrThrow (size_t size, std::align_val_t alignment)
{
    noteAllocation();
    const auto align = static_cast<size_t> (alignment);
    const auto rounded = (juce::jmax (size, size_t { 1 }) + align - 1) / align * align;

    if (auto* p = std::aligned_alloc (align, rounded))
        return p;

    throw std::bad_alloc();
}
} // namespace

extern "C"
{
    void* malloc (size_t size)
    {
        noteAllocation();
        return __libc_malloc (size);
    }

    void* calloc (size_t number, size_t size)
    {
        noteAllocation();
        return __libc_calloc (number, size);
    }

    void* realloc (void* p, size_t size)
    {
        noteAllocation();
        return __libc_realloc (p, size);
    }
}

void* operator new (size_t size) { return allocateOrThrow (size); }
void* operator new[] (size_t size) { return allocateOrThrow (size); }
void* operator new (size_t size, std::align_val_t alignment) { return allocateAlignedOrThrow (size, alignment); }
void* operator new[] (size_t size, std::align_val_t alignment) { return allocateAlignedOrThrow (size, alignment); }

void* operator new (size_t size, const std::nothrow_t&) noexcept
{
    noteAllocation();
    return __libc_malloc (size == 0 ? 1 : size);
}

void* operator new[] (size_t size, const std::nothrow_t&) noexcept
{
    noteAllocation();
    return __libc_malloc (size == 0 ? 1 : size);
}

namespace brazzle::validator
{
AllocationCounter::ScopedArm::ScopedArm() noexcept { armed = true; }
AllocationCounter::ScopedArm::~ScopedArm() noexcept { armed = false; }

juce::uint64 AllocationCounter::getCount() noexcept { return count; }

void AllocationCounter::reset() noexcept
{
    count = 0;
    stacksKept = 0;
    sitesKept = 0;
    unsitedCount = 0;
}

void AllocationCounter::prepare()
{
    void* frames[4];
    backtrace (frames, 4);
}

juce::StringArray AllocationCounter::getAllocatingModules()
{
    juce::StringArray modules;

    for (int s = 0; s < stacksKept; ++s)
    {
        for (int i = 0; i < stacks[s].depth; ++i)
        {
            Dl_info info {};

            if (dladdr (stacks[s].frames[i], &info) != 0 && info.dli_fname != nullptr)
                modules.addIfNotAlreadyThere (info.dli_fname);
        }
    }

    return modules;
}

std::vector<AllocationCounter::Site> AllocationCounter::getSites()
{
    Dl_info self {};
    dladdr (reinterpret_cast<void*> (&noteAllocation), &self);

    std::vector<Site> result;

    for (int s = 0; s < sitesKept; ++s)
    {
        const auto& stack = sites[s].stack;
        Site site;
        site.count = sites[s].count;
        site.stack = describe (stack);

        for (int i = 0; i < stack.depth; ++i)
        {
            Dl_info info {};

            if (dladdr (stack.frames[i], &info) == 0 || info.dli_fname == nullptr || info.dli_fbase == self.dli_fbase)
                continue;

            // A return address points past its call; one byte back lies inside it.
            const auto offset = (juce::uint64) (reinterpret_cast<juce::pointer_sized_uint> (stack.frames[i]) - 1
                                                - reinterpret_cast<juce::pointer_sized_uint> (info.dli_fbase));
            const juce::File library (info.dli_fname);
            site.callerFunction = functionAt (library, offset);
            site.caller = (site.callerFunction.isEmpty() ? juce::String ("?") : site.callerFunction)
                        + " (" + library.getFileName() + "+0x" + juce::String::toHexString ((juce::int64) offset) + ")";
            break;
        }

        result.push_back (std::move (site));
    }

    if (unsitedCount > 0)
    {
        Site rest;
        rest.count = unsitedCount;
        result.push_back (std::move (rest));
    }

    return result;
}
} // namespace brazzle::validator

#else

namespace brazzle::validator
{
AllocationCounter::ScopedArm::ScopedArm() noexcept {}
AllocationCounter::ScopedArm::~ScopedArm() noexcept {}
juce::uint64 AllocationCounter::getCount() noexcept { return 0; }
void AllocationCounter::reset() noexcept {}
void AllocationCounter::prepare() {}
juce::StringArray AllocationCounter::getAllocatingModules() { return {}; }
std::vector<AllocationCounter::Site> AllocationCounter::getSites() { return {}; }
} // namespace brazzle::validator

#endif
