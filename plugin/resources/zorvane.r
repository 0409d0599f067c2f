/* The bundle's string lists. Compiled into Resources/zorvane.rsrc at build time. */

/* Labels of the host's three sliders. The effect is set up in its own dialog;
   the host's sliders change nothing. */
resource 'STR#' (128, "Host slider labels") {
    "Red floor (set in Configure)",
    "Green floor (set in Configure)",
    "Blue floor (set in Configure)"
};

/* Minimum and maximum labels of the host's sliders, two per slider. */
resource 'STR#' (129, "Host slider ends") {
    "0%", "100%",
    "0%", "100%",
    "0%", "100%"
};

/* Title of the effect's custom button. */
resource 'STR#' (130, "Button title") {
    "Configure"
};

/* The group the host files the effect under. */
resource 'STR#' (17000, "Group") {
    "Dravik Colour Effects"
};
