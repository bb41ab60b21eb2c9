set(CANVAS_SOURCES
    canvas/image_store.cpp
    canvas/canvas_window.cpp
    canvas/drawing_tools.cpp
    canvas/copy_paste.cpp
    canvas/monitor_window.cpp
    canvas/save_commands.cpp
)
