namespace ui {}
