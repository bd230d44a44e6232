#include "foundation/ComApartment.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <thread>

namespace {

// The calling thread's apartment, or -1 when it has none.
int ApartmentType() {
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    return SUCCEEDED(CoGetApartmentType(&type, &qualifier)) ? static_cast<int>(type) : -1;
}

template <class F>
void OnNewThread(F f) {
    std::thread(f).join();
}

}  // namespace

// A thread without COM gets a single-threaded apartment on its first need, once, and the
// close gives it back; a second close does nothing.
TEST(ComApartment, OpensOnceOnFirstNeedAndClosesWhatItOpened) {
    OnNewThread([] {
        EXPECT_EQ(-1, ApartmentType());
        EXPECT_TRUE(Com::EnsureThreadApartment());
        EXPECT_TRUE(Com::OpenedThreadApartment());
        const int type = ApartmentType();
        EXPECT_TRUE(type == APTTYPE_MAINSTA || type == APTTYPE_STA) << type;
        EXPECT_TRUE(Com::EnsureThreadApartment());
        Com::CloseThreadApartment();
        EXPECT_FALSE(Com::OpenedThreadApartment());
        EXPECT_EQ(-1, ApartmentType()) << "one open, one close";
        Com::CloseThreadApartment();
        EXPECT_EQ(-1, ApartmentType());
    });
}

// An apartment the thread opened itself (of either kind) is used as it is and stays the
// thread's to close.
TEST(ComApartment, AnApartmentOpenedElsewhereIsLeftAlone) {
    for (DWORD model : {COINIT_APARTMENTTHREADED, COINIT_MULTITHREADED}) {
        OnNewThread([model] {
            ASSERT_EQ(S_OK, CoInitializeEx(nullptr, model));
            EXPECT_TRUE(Com::EnsureThreadApartment());
            EXPECT_FALSE(Com::OpenedThreadApartment());
            Com::CloseThreadApartment();
            EXPECT_NE(-1, ApartmentType());
            CoUninitialize();
            EXPECT_EQ(-1, ApartmentType()) << "nothing was left open";
        });
    }
}
