set(BASE_SOURCES
    base/editor_state.cpp
    base/report.cpp
)
