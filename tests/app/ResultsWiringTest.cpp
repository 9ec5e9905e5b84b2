// The application's road from the data input screen to the results and the limits window.

#include "ScreenTest.h"
#include "quandrelle/app/Application.h"
#include "quandrelle/screens/forms/BreakTimeFive.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/LimitsMessage.h"
#include "quandrelle/screens/framework/FormNames.h"

namespace quandrelle::testing {
namespace {

using ResultsWiringTest = ScreenTest;

TEST_F(ResultsWiringTest, ContinueLeadsToTheResultsAndARefusalToTheLimitsWindow) {
    defineScreens(context);

    state.cartName = "Half-mask OV";
    state.vapors[1].chemName = "Benzene";
    state.vapors[1].avgConc = 100;
    state.vapors[1].molWt = 78.11f;
    state.vaporCount = 1;
    state.tempC = 23;
    state.atmPressure = 1;
    state.airFlow = 30;
    state.bedDiameter = 8;
    state.cartsPerRespirator = 2;
    auto& hub = dynamic_cast<InputMasterFive&>(forms.ShowForm(forms::kInputMasterFive));
    nameCartridge("Half-mask OV");
    nameVapor(1, "Benzene");
    hub.continueButton()->click();
    ASSERT_TRUE(messenger.shown.empty());

    auto& results = forms.form<BreakTimeFive>(forms::kResults);
    EXPECT_TRUE(results.isVisible());
    EXPECT_FALSE(hub.isVisible());
    EXPECT_EQ(results.vapNm(1)->text(), "Benzene");

    results.vapBkConc(1)->setText("51");
    results.cmdCalc()->click();
    EXPECT_TRUE(forms.form<LimitsMessage>(forms::kLimitsMessage).isVisible());
    EXPECT_FALSE(results.isVisible());
}

}  // namespace
}  // namespace quandrelle::testing
