set(SHELL_SOURCES
    shell/editor_state.cpp
    shell/startup.cpp
    shell/main_window.cpp
    shell/save_prompt.cpp
    shell/dialogs.cpp
    shell/file_commands.cpp
)
