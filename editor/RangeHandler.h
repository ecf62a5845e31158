// TRangeHandler: a range's event handler held in one pointer. Millions of coloured ranges
// carry one, so a handler without state (a lambda that captures nothing) is shared rather
// than stored in every range; any other callable is copied to the heap.
#pragma once

#include <cstddef>
#include <functional>
#include <type_traits>
#include <utility>

class TCustomRange;

class TRangeHandler {
    struct TCallable {
        virtual void Call(TCustomRange& sender) const = 0;
        virtual const TCallable* Clone() const = 0;
        virtual void Release() const noexcept = 0;

    protected:
        ~TCallable() = default;
    };

    template <class F> struct TOwned final : TCallable {
        explicit TOwned(F handler) : Handler(std::move(handler)) {}
        void Call(TCustomRange& sender) const override { Handler(sender); }
        const TCallable* Clone() const override { return new TOwned(Handler); }
        void Release() const noexcept override { delete this; }
        mutable F Handler;
    };

    // Lives for the whole program and holds nothing: every range shares it, none frees it.
    template <class F> struct TStateless final : TCallable {
        constexpr TStateless() = default;
        void Call(TCustomRange& sender) const override { F()(sender); }
        const TCallable* Clone() const override { return this; }
        void Release() const noexcept override {}
    };
    template <class F> static constexpr TStateless<F> kStateless{};

    template <class F>
    static constexpr bool kIsStateless = std::is_empty_v<F>&&
        std::is_trivially_default_constructible_v<F>&& std::is_trivially_copyable_v<F>;
    template <class F> struct TIsFunction : std::false_type {};
    template <class S> struct TIsFunction<std::function<S>> : std::true_type {};

public:
    TRangeHandler() = default;
    TRangeHandler(std::nullptr_t) {}
    template <class F, class D = std::decay_t<F>,
              class = std::enable_if_t<!std::is_same_v<D, TRangeHandler> &&
                                       std::is_invocable_v<D&, TCustomRange&>>>
    TRangeHandler(F&& handler) {
        // An empty std::function or a null function pointer leaves no handler, as assigning
        // one to a std::function would.
        if constexpr (TIsFunction<D>::value || std::is_pointer_v<D>) {
            if (!handler) return;
        }
        if constexpr (kIsStateless<D>)
            FCallable = &kStateless<D>;
        else
            FCallable = new TOwned<D>(std::forward<F>(handler));
    }
    TRangeHandler(const TRangeHandler& other)
        : FCallable(other.FCallable ? other.FCallable->Clone() : nullptr) {}
    TRangeHandler(TRangeHandler&& other) noexcept
        : FCallable(std::exchange(other.FCallable, nullptr)) {}
    // By value: the old handler goes only after the new one is in place.
    TRangeHandler& operator=(TRangeHandler other) noexcept {
        std::swap(FCallable, other.FCallable);
        return *this;
    }
    ~TRangeHandler() {
        if (FCallable) FCallable->Release();
    }

    explicit operator bool() const { return FCallable != nullptr; }
    void operator()(TCustomRange& sender) const {
        if (!FCallable) throw std::bad_function_call();
        FCallable->Call(sender);
    }

private:
    const TCallable* FCallable = nullptr;
};
