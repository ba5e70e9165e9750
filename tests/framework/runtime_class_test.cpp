// Runtime class records: names, bases, kinds and dynamic creation.
#include <gtest/gtest.h>

#include <memory>

#include "framework/test_pages.h"

namespace framework_test {
namespace {

TEST(RuntimeClassTest, ADynamicallyCreatablePageIsMadeFromItsRecordOrItsName) {
    std::unique_ptr<CObject> byRecord(RUNTIME_CLASS(CreatablePage)->CreateObject());
    std::unique_ptr<CObject> byName(CRuntimeClass::CreateObject("CreatablePage"));

    ASSERT_NE(byRecord, nullptr);
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(byRecord->GetRuntimeClass(), RUNTIME_CLASS(CreatablePage));
    EXPECT_EQ(byName->GetRuntimeClass(), RUNTIME_CLASS(CreatablePage));
    EXPECT_EQ(static_cast<CPropertyPage*>(byName.get())->GetTemplateId(), UINT{IDD_TEST_SECOND});
}

TEST(RuntimeClassTest, TheRecordCarriesTheClassNameAndItsBase) {
    const CRuntimeClass* record = RUNTIME_CLASS(CreatablePage);
    EXPECT_STREQ(record->m_lpszClassName, "CreatablePage");
    EXPECT_EQ(record->m_pBaseClass, RUNTIME_CLASS(CPropertyPage));
    EXPECT_EQ(record->m_nObjectSize, static_cast<int>(sizeof(CreatablePage)));
    EXPECT_EQ(CRuntimeClass::FromName("CreatablePage"), record);
    EXPECT_EQ(CRuntimeClass::FromName("CPropertySheet"), RUNTIME_CLASS(CPropertySheet));
}

TEST(RuntimeClassTest, AnObjectIsAKindOfEveryClassOnItsBaseChainOnly) {
    CreatablePage page;
    const CObject& asObject = page;

    EXPECT_TRUE(asObject.IsKindOf(RUNTIME_CLASS(CreatablePage)));
    EXPECT_TRUE(asObject.IsKindOf(RUNTIME_CLASS(CPropertyPage)));
    EXPECT_TRUE(asObject.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_TRUE(asObject.IsKindOf(RUNTIME_CLASS(CCmdTarget)));
    EXPECT_TRUE(asObject.IsKindOf(&CObject::classCObject));
    EXPECT_FALSE(asObject.IsKindOf(RUNTIME_CLASS(CPropertySheet)));
    EXPECT_FALSE(asObject.IsKindOf(RUNTIME_CLASS(CListCtrl)));
    EXPECT_FALSE(asObject.IsKindOf(nullptr));
}

TEST(RuntimeClassTest, ClassesThatAreNotCreatableOrUnknownGiveNoObject) {
    EXPECT_EQ(RUNTIME_CLASS(CPropertySheet)->CreateObject(), nullptr);
    EXPECT_EQ(CRuntimeClass::CreateObject("NoSuchClass"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName(nullptr), nullptr);
}

}  // namespace
}  // namespace framework_test
