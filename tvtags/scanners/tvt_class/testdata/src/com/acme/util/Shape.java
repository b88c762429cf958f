package com.acme.util;

public interface Shape {
    double area();
    default String describe() { return "shape of " + area(); }
}
