set(TOOLWINDOWS_SOURCES
    toolwindows/icon_row.cpp
    toolwindows/tool_bar.cpp
    toolwindows/line_bar.cpp
    toolwindows/palette_bar.cpp
    toolwindows/transparent_tool.cpp
    toolwindows/view_window.cpp
)
