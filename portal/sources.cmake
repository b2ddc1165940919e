# Portal bridge: files of this subsystem (see the top-level CMakeLists.txt).
list(APPEND VEMOR_LOGIC_SOURCES
    portal/NavigationPolicy.cpp
    portal/PortalAddress.cpp
    portal/HtmlViewState.cpp
    portal/PortalHandshake.cpp
)
list(APPEND VEMOR_WIN_SOURCES
    portal/BrowserAgent.cpp
    portal/HtmlScript.cpp
    portal/BrowserHost.cpp
    portal/HTMLView.cpp
    portal/PortalFrame.cpp
)
list(APPEND VEMOR_UNIT_TEST_SOURCES
    tests/unit/NavigationPolicyTest.cpp
    tests/unit/PortalAddressTest.cpp
    tests/unit/HtmlViewStateTest.cpp
    tests/unit/PortalHandshakeTest.cpp
)
list(APPEND VEMOR_WIN_TEST_SOURCES
    tests/win/HtmlScriptTest.cpp
    tests/win/HTMLViewTest.cpp
)
list(APPEND VEMOR_WIN_LIBRARIES shell32 urlmon)
