package com.acme.util;

public class Tool {
    int count;
    private static final long LIMIT = 7L;

    public Tool() {
    }

    public void run(int times, String label) {
        Runnable r = () -> count += times;
        r.run();
    }

    protected static String[] names(int[][] grid, Inner inner) {
        return new String[] {label(grid.length)};
    }

    private static String label(int n) {
        return "n" + n;
    }

    public static class Inner {
        synchronized native void touch(double d, boolean b, char c, byte y, short s, float f);
    }
}
